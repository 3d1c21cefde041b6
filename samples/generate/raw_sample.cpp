// Writes the bundled RAW sample into the folder given as the only argument.
#include "tests/fixtures/raw_sample.h"
#include "tests/fixtures/sample_main.h"

int main(int argc, char** argv) {
    using namespace vertigon::testing;
    return WriteSampleMain(argc, argv, "make_raw_sample", kRawSampleName, BuildRawSample());
}
