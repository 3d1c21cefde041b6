// vertigon: the desktop viewer.
#include "app/viewer_app.h"

wxIMPLEMENT_APP(vertigon::ViewerApp);
