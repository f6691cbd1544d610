// A program that crashes at once by reading through a null pointer: the Wine harness must end
// it with a non-zero status and a backtrace, never leave it waiting in a crash dialog.
#include <cstdio>

int main() {
    int* volatile nowhere = nullptr;
    std::printf("%d\n", *nowhere);
    return 0;
}
