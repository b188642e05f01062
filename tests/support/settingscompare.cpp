#include "support/settingscompare.h"

#include <gtest/gtest.h>

namespace vt::test {

void ExpectSameSettings(const AppSettings& got, const AppSettings& want) {
    EXPECT_EQ(got.action, want.action);
    EXPECT_EQ(got.showTray, want.showTray);
    EXPECT_EQ(got.shortcutType, want.shortcutType);
    EXPECT_EQ(got.windowsKey, want.windowsKey);
    EXPECT_EQ(got.normalHotKeyVirtualKey, want.normalHotKeyVirtualKey);
    EXPECT_EQ(got.normalHotKeyModifier, want.normalHotKeyModifier);
    EXPECT_EQ(got.alwaysNewExplorer, want.alwaysNewExplorer);
    EXPECT_EQ(got.activateOnRButtonDown, want.activateOnRButtonDown);
    EXPECT_EQ(got.activateOnMouseWheel, want.activateOnMouseWheel);
    EXPECT_EQ(got.showOpenFolders, want.showOpenFolders);
    EXPECT_EQ(got.autoSwitch, want.autoSwitch);
}

}  // namespace vt::test
