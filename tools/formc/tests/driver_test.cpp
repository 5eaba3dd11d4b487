// The command as the build calls it: formc INPUT.txt OUTPUT.bin
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "driver.h"
#include "test_util.h"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(Driver, WritesTheStreamAndResolvesFilesBesideTheInput) {
    TempDir dir;
    dir.write("form.txt", "Form2 : TForm2 {\n  Blob = file(\"data.bin\")\n}\n");
    dir.write("data.bin", "ab");
    std::ostringstream err;
    // the working folder is not the input's folder
    EXPECT_EQ(formc::compileFile(dir.file("form.txt"), dir.file("form.bin"), err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(toBytes(readAll(dir.file("form.bin"))),
              cat({"TPF0", {6}, "TForm2", {5}, "Form2", {4}, "Blob", {10, 2, 0, 0, 0}, "ab", {0, 0}}));
    EXPECT_EQ(sorted(dir.list()), (std::vector<std::string>{"data.bin", "form.bin", "form.txt"}));
}

TEST(Driver, AFailureReportsTheInputPositionAndLeavesNoOutput) {
    TempDir dir;
    dir.write("form.txt", "Form2 : TForm2 {\n  Caption = \"ok\n}\n");
    dir.write("form.bin", "stale output of an earlier build");
    std::ostringstream err;
    EXPECT_EQ(formc::compileFile(dir.file("form.txt"), dir.file("form.bin"), err), 1);
    EXPECT_EQ(err.str(), dir.file("form.txt") + ":2:13: unterminated string\n");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"form.txt"}));
}

TEST(Driver, BadArgumentsAndUnreadableFiles) {
    std::ostringstream usage;
    const char* oneArg[] = {"formc", "in.txt"};
    EXPECT_EQ(formc::runFormc(2, oneArg, usage), 1);
    EXPECT_NE(usage.str().find("usage: formc INPUT.txt OUTPUT.bin"), std::string::npos);

    TempDir dir;
    std::ostringstream err;
    EXPECT_EQ(formc::compileFile(dir.file("missing.txt"), dir.file("out.bin"), err), 1);
    EXPECT_EQ(err.str(), "formc: cannot read " + dir.file("missing.txt") + ": No such file or directory\n");

    dir.write("ok.txt", "F : T { }");
    std::ostringstream err2;
    EXPECT_EQ(formc::compileFile(dir.file("ok.txt"), dir.file("no/such/dir/out.bin"), err2), 1);
    EXPECT_NE(err2.str().find("formc: cannot write"), std::string::npos);
    EXPECT_TRUE(dir.list() == std::vector<std::string>{"ok.txt"});
}
