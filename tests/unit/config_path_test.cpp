#include "config/config_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(ConfigPath, InTheStartUpFolderAndOpenablePastMaxPath) {
    const std::wstring deep =
        L"C:\\" + std::wstring(250, L'd'); // a working directory may be this deep
    struct Case {
        std::wstring folder;
        std::wstring path;       // ConfigPathIn
        std::wstring fileSystem; // LongPathForm of it
    };
    const Case cases[] = {
        {L"C:\\kv\\work", L"C:\\kv\\work\\config.kv", L"C:\\kv\\work\\config.kv"},
        {L"C:\\", L"C:\\config.kv", L"C:\\config.kv"},
        {L"\\\\server\\share\\", L"\\\\server\\share\\config.kv", L"\\\\server\\share\\config.kv"},
        {L"", L"config.kv", L"config.kv"},
        // 259 characters still open as they are; 260 and more only in the \\?\ form.
        {std::wstring(L"C:\\") + std::wstring(246, L'x'), L"", L""},
        {deep, deep + L"\\config.kv", L"\\\\?\\" + deep + L"\\config.kv"},
        {L"\\\\server\\share\\" + std::wstring(240, L'u'),
         L"\\\\server\\share\\" + std::wstring(240, L'u') + L"\\config.kv",
         L"\\\\?\\UNC\\server\\share\\" + std::wstring(240, L'u') + L"\\config.kv"},
    };
    for (const Case& c : cases) {
        std::wstring path = ConfigPathIn(c.folder);
        if (c.path.empty()) {
            ASSERT_EQ(path.size(), 259u);
            EXPECT_EQ(LongPathForm(path), path);
            continue;
        }
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(LongPathForm(path), c.fileSystem);
    }
    // Already in the form the file calls take as it is.
    const std::wstring extended = L"\\\\?\\C:\\" + std::wstring(300, L'e');
    EXPECT_EQ(LongPathForm(extended), extended);
}
