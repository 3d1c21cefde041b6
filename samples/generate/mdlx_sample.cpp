// Writes the bundled MDLX sample into the folder given as the only argument.
#include "tests/fixtures/mdlx_sample.h"
#include "tests/fixtures/sample_main.h"

int main(int argc, char** argv) {
    using namespace vertigon::testing;
    return WriteSampleMain(argc, argv, "make_mdlx_sample", kMdlxSampleFileName, MdlxSampleFile());
}
