#pragma once

#include "profiles/ProfileListView.h"

#include <optional>
#include <string>
#include <vector>

// The list view and count panel of the main window, as the profile commands see them. A reload
// clears the selection, as the real list does.
class FakeProfileList : public ProfileListView {
public:
    void ClearItems() override
    {
        captions.clear();
        images.clear();
        selected.reset();
    }
    void AddItem(const std::string& caption, int image) override
    {
        captions.push_back(caption);
        images.push_back(image);
    }
    void SetCountText(const std::string& text) override { countText = text; }
    std::optional<std::string> SelectedCaption() const override { return selected; }

    void Select(size_t item) { selected = captions.at(item); }

    std::vector<std::string> captions;
    std::vector<int> images;
    std::optional<std::string> selected; // the caption the list reports as selected
    std::string countText = "unchanged";
};
