// Writes the bundled FFB demo model into the folder given as the only argument.
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/sample_main.h"

int main(int argc, char** argv) {
    using namespace vertigon::testing;
    return WriteSampleMain(argc, argv, "make_demo_sample", kDemoSampleName, BuildDemoSample());
}
