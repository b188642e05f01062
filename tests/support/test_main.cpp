// GoogleTest entry point for the test programs. Output goes out in binary mode:
// ctest parses the test list and CR-LF line ends would end up in the test names.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
