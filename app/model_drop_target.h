// Files dropped on the render view: the first one is opened, the others are ignored.
#pragma once

#include <wx/dnd.h>

#include <functional>
#include <string>

namespace vertigon {

class ModelDropTarget final : public wxFileDropTarget {
public:
    explicit ModelDropTarget(std::function<void(const std::string&)> openFile) : openFile_(std::move(openFile)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    std::function<void(const std::string&)> openFile_;
};

}  // namespace vertigon
