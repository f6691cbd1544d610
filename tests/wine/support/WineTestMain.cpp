// Entry of every Wine test client.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Plain LF line ends, as the Linux side reads the output.
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // A filter that names no test is a mistake in the test registration, not a pass.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no test matched the filter\n");
        return 1;
    }
    return result;
}
