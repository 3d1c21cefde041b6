// The commands of vertigon-cli. Each takes the arguments after its name and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

namespace vertigon {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,     // unreadable or malformed input, an emulator fault
    kExitNotModel = 2,   // no loader accepts the file, or it is not a model
    kExitStepBound = 3,  // an emulator run reached its step bound
    kExitUsage = 64,     // the command line itself is wrong
};

using Arguments = std::vector<std::string>;

int RunInfo(const Arguments& args);
int RunRender(const Arguments& args);
int RunPose(const Arguments& args);
int RunThumbnail(const Arguments& args);
int RunEeRun(const Arguments& args);
int RunTextures(const Arguments& args);
int RunExport(const Arguments& args);
int RunRetexture(const Arguments& args);

}  // namespace vertigon
