#include "app/model_drop_target.h"

#include "app/wx_text.h"

namespace vertigon {

bool ModelDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    if (!files.empty() && openFile_) openFile_(PathFromWx(files[0]));
    return true;
}

}  // namespace vertigon
