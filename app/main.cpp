// vertigon: the desktop viewer.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/viewer_app.h"

wxIMPLEMENT_APP_NO_MAIN(vertigon::ViewerApp);

int main(int argc, char** argv) {
    // The usage text needs no display, so it is given before the toolkit starts.
    if (vertigon::AsksForHelp(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fputs(vertigon::ViewerUsage().c_str(), stdout);
        return 0;
    }
    return wxEntry(argc, argv);
}
