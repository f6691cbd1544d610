// Entry of every Wine test client.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// A fatal assertion ends the whole test, also when it fails inside a helper the test body
// called: the body must never go on with a window, process or handle that was not set up.
// GoogleTest catches the exception at the test's boundary and counts it as already reported.
class FatalFailureEndsTheTest : public ::testing::EmptyTestEventListener {
  public:
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.type() == ::testing::TestPartResult::kFatalFailure) {
            throw ::testing::AssertionException(result);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Plain LF line ends, as the Linux side reads the output.
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleTest(&argc, argv);
    // Appended last, so the printer has reported the failure before the test unwinds.
    ::testing::UnitTest::GetInstance()->listeners().Append(new FatalFailureEndsTheTest);
    const int result = RUN_ALL_TESTS();
    // A filter that names no test is a mistake in the test registration, not a pass.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no test matched the filter\n");
        return 1;
    }
    return result;
}
