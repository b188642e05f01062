#include <gtest/gtest.h>

#include "app/commandline.h"
#include "resources/resource.h"

using namespace vt;

namespace {

std::string Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "Vantrel.exe");
    CVantrelCommandLineInfo info;
    CWinApp::ParseArguments(info, static_cast<int>(args.size()), args.data());
    return info.fileName_;
}

TEST(CommandLine, SwitchesAreExactAndCaseSensitive) {
    EXPECT_EQ(Parse({"/quit"}), "/quit");
    EXPECT_EQ(Parse({"-quit"}), "/quit");
    EXPECT_EQ(Parse({"/pop"}), "/pop");
    EXPECT_EQ(Parse({"-pop"}), "/pop");
    EXPECT_EQ(Parse({"/QUIT"}), "");  // ignored: only activates
    EXPECT_EQ(Parse({"/Pop"}), "");
    EXPECT_EQ(Parse({"/quitx"}), "");
    EXPECT_EQ(Parse({"/"}), "");  // a bare switch character
    EXPECT_EQ(Parse({}), "");
}

TEST(CommandLine, PlainArgumentsAreJoinedWithSingleSpaces) {
    EXPECT_EQ(Parse({"C:\\My", "Folder"}), "C:\\My Folder");
    EXPECT_EQ(Parse({"C:\\My  Folder"}), "C:\\My  Folder");  // quoted: kept as is
    EXPECT_EQ(Parse({"a", "/x", "b"}), "a b");               // unknown switch skipped
    // An empty argument still counts as an argument and adds its separator.
    EXPECT_EQ(Parse({"a", "", "b"}), "a  b");
    std::string longPath = "C:\\" + std::string(5000, 'p');
    EXPECT_EQ(Parse({longPath.c_str()}), longPath);
}

TEST(CommandLine, LaterSwitchReplacesAndPathsAfterASwitchAppend) {
    EXPECT_EQ(Parse({"C:\\x", "/pop"}), "/pop");
    EXPECT_EQ(Parse({"/pop", "/quit"}), "/quit");
    // Neither "/pop" nor empty: taken as a path by the caller.
    EXPECT_EQ(Parse({"/pop", "C:\\x"}), "/pop C:\\x");
}

TEST(CommandLine, ForwardedCommandIds) {
    EXPECT_EQ(ForwardedCommandId("/quit"), 57665u);
    EXPECT_EQ(ForwardedCommandId("/pop"), 32777u);
    EXPECT_EQ(ForwardedCommandId("/pop C:\\x"), 32772u);
    EXPECT_EQ(ForwardedCommandId("C:\\x"), 32772u);
    EXPECT_EQ(ForwardedCommandId(""), 0u);
}

}  // namespace
