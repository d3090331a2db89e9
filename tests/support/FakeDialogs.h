#pragma once

#include "platform/UserDialogs.h"

#include <functional>
#include <string>
#include <vector>

// Message boxes recorded instead of shown, each kind apart. A question is answered at once: Yes
// when answerYes, otherwise as if left open, which runs nothing.
class FakeDialogs : public UserDialogs {
public:
    explicit FakeDialogs(bool answerYes = false) : answerYes(answerYes) {}

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void Confirm(const std::string& question, std::function<void()> onYes) override
    {
        Ask(questions, question, onYes);
    }
    void AskInformation(const std::string& question, std::function<void()> onYes) override
    {
        Ask(informationQuestions, question, onYes);
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    // How many boxes of every kind were asked for.
    size_t Count() const { return messages.size() + questions.size() + informationQuestions.size() + errors.size(); }

    bool answerYes;
    std::vector<std::string> messages;
    std::vector<std::string> questions; // of the confirmation box
    std::vector<std::string> informationQuestions;
    std::vector<std::string> errors;

private:
    void Ask(std::vector<std::string>& asked, const std::string& question, const std::function<void()>& onYes)
    {
        asked.push_back(question);
        if (answerYes)
            onYes();
    }
};
