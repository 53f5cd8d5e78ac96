// The registry-backed ini file: sections as subkeys, values in their order.

#include <gtest/gtest.h>

#include "platform/core/registry_ini.h"
#include "platform/core/strings.h"
#include "support/core/core_test_support.h"

namespace {

using RegistryIniFolder = ConfigFolderTest;

TEST_F(RegistryIniFolder, SectionsAreSubkeysAndValuesKeepTheirOrder) {
    TRegistryIniFile ini("Software\\Taskmoor\\Layouts");
    ini.WriteString("Form1Grid1", "Zeta", "1");
    ini.WriteString("Form1Grid1", "Alpha", "2;;x");
    ini.WriteString("Form1Grid1", "Mid", "3");
    TStringList values;
    ini.ReadSectionValues("Form1Grid1", &values);
    EXPECT_EQ(values.Text(), "Zeta=1\nAlpha=2;;x\nMid=3\n");
    EXPECT_EQ(ini.ReadString("Form1Grid1", "Alpha", "none"), "2;;x");
    EXPECT_EQ(ini.ReadString("Form1Grid1", "Missing", "none"), "none");
    TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("\\Software\\Taskmoor\\Layouts\\Form1Grid1"));
    // Erasing keeps the subkey; rewriting gives the new order.
    ini.EraseSection("Form1Grid1");
    ini.ReadSection("Form1Grid1", &values);
    EXPECT_EQ(values.Count(), 0);
    EXPECT_TRUE(ini.SectionExists("Form1Grid1"));
    ini.WriteString("Form1Grid1", "Mid", "3");
    ini.WriteString("Form1Grid1", "Zeta", "1");
    ini.ReadSection("Form1Grid1", &values);
    EXPECT_EQ(values.Text(), "Mid\nZeta\n");
    ini.ReadSection("Other", &values);
    EXPECT_EQ(values.Count(), 0);
}

}  // namespace
