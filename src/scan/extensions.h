#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// The file extensions the library may hold, each selected or not by the operator.
class ExtensionSet {
public:
    static constexpr std::size_t kCount = 24;
    static const std::array<std::string_view, kCount>& Names();

    ExtensionSet() { SelectAll(); }

    void SelectAll() { selected_.fill(true); }
    void SelectNone() { selected_.fill(false); }
    // Selects a name of the list (ignoring case); false when it is not one of them.
    bool Select(std::string_view name, bool on = true);
    bool IsSelected(std::size_t index) const { return selected_[index]; }
    bool AnySelected() const;
    std::vector<std::string> SelectedNames() const;

    // Takes an extension with its leading dot; its name (at most four characters
    // after the dot) must be in the list and selected.
    bool IsExtensionEnabled(std::string_view extension) const;

private:
    std::array<bool, kCount> selected_{};
};

}  // namespace spindle
