#include "app/viewer_app.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/frame_clock.h"
#include "app/render_view.h"
#include "app/wx_text.h"

namespace vertigon {

bool ViewerApp::OnInit() {
    // The toolkit has taken its own options out of argv already.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(PathFromWx(argv[i]));
    ViewerOptions options;
    std::string error;
    if (!ParseViewerCommandLine(args, &options, &error)) {
        std::fprintf(stderr, "vertigon: %s\n%s", error.c_str(), ViewerUsage().c_str());
        earlyExitStatus_ = 64;
        return true;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? ViewerUsage().c_str() : VersionText().c_str(), stdout);
        earlyExitStatus_ = 0;
        return true;
    }

    driverWarmUp_.Start();
    viewer_ = std::make_unique<Viewer>();
    if (options.reportStartup) {
        // Set before the first frame can be drawn; the hook reports once.
        viewer_->SetFramePresentedObserver([started = started_](RenderView& view) {
            if (view.presentedFrames() != 1) return;
            const auto elapsed = std::chrono::steady_clock::now() - started;
            std::fprintf(stderr, "vertigon: first frame on the screen %.1f ms after start-up (%.1f ms of processor time)\n",
                         std::chrono::duration<double, std::milli>(elapsed).count(), ProcessorMilliseconds());
        });
    }
    LoaderOptions loaderOptions;
    loaderOptions.eeImagePath = options.eeImagePath;
    if (!viewer_->Start(options.paths, loaderOptions)) {
        viewer_.reset();
        earlyExitStatus_ = 1;
    }
    return true;
}

int ViewerApp::OnRun() {
    if (earlyExitStatus_ >= 0) return earlyExitStatus_;
    const int status = wxApp::OnRun();
    // A drawing failure closed the viewer.
    return viewer_ && viewer_->failed() ? 1 : status;
}

int ViewerApp::OnExit() {
    if (viewer_) viewer_->ReleaseScene();
    viewer_.reset();
    return wxApp::OnExit();
}

}  // namespace vertigon
