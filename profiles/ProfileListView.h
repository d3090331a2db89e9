#pragma once

#include <optional>
#include <string>

// The profile list and the count panel as the profile commands see them.
class ProfileListView {
public:
    virtual ~ProfileListView() = default;
    virtual void ClearItems() = 0;
    virtual void AddItem(const std::string& caption, int image) = 0;
    virtual void SetCountText(const std::string& text) = 0; // status bar panel 0
    // Caption of the selected item, nothing when no item is selected.
    virtual std::optional<std::string> SelectedCaption() const = 0;
};
