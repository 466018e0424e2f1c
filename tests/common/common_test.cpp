#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/atomic_file.h"
#include "common/data_root_path.h"
#include "common/json_text.h"
#include "common/path_text.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

TEST(PathText, JoinsAndSplitsSlashSeparatedPaths) {
    const struct {
        std::string path, withSlash, folder, name;
    } cases[] = {
        {"/card", "/card/", "/", "card"},
        {"/card/", "/card/", "/card/", ""},
        {"video/a.avi", "video/a.avi/", "video/", "a.avi"},
        {"a.avi", "a.avi/", "", "a.avi"},
        {"", "/", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(WithSlash(c.path), c.withSlash);
        EXPECT_EQ(FolderOf(c.path), c.folder);
        EXPECT_EQ(NameOf(c.path), c.name);
    }
}

TEST(DataRootPath, EndsInOneSlashOrIsTheDotOfNoRoot) {
    const struct {
        std::optional<std::string> folder;  // none: no root
        std::string text;
    } cases[] = {
        {"/media/rec", "/media/rec/"},
        {"/media/rec/", "/media/rec/"},
        {"", "/"},
        {std::nullopt, "."},
    };
    for (const auto& c : cases) {
        const DataRootPath root = c.folder ? DataRootPath(*c.folder) : DataRootPath();
        EXPECT_EQ(root.Text(), c.text) << c.folder.value_or("no root");
    }
}

TEST(JsonText, GivesValidJsonForAnyBytes) {
    const struct {
        std::string text, json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"tab\tnew\nline\x7f", "\"tab\\u0009new\\u000aline\\u007f\""},
        {"\xed\x95\x9c\xea\xb8\x80", "\"\xed\x95\x9c\xea\xb8\x80\""},  // Korean passes through
        {"\xff\xc3", "\"\\u00ff\\u00c3\""},                            // no UTF-8, cut short
        {"\xc0\xaf", "\"\\u00c0\\u00af\""},                            // overlong '/'
        {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},                 // a surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(JsonString(c.text), c.json) << c.json;
}

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(AtomicFile, PutsTheFileInPlaceOnlyWhenCommitted) {
    test::TempDir folder;
    folder.Write("kept.txt", "old");
    for (const bool commit : {false, true}) {
        {
            AtomicFile file((folder.Path() / "kept.txt").string());
            ASSERT_TRUE(file.Ok());
            EXPECT_TRUE(AtomicFile::IsTemporaryName(NameOf(file.TemporaryPath())));
            ASSERT_EQ(::write(file.Fd(), "new", 3), 3);
            EXPECT_EQ(Read(folder.Path() / "kept.txt"), "old");
            if (commit) {
                EXPECT_EQ(file.Commit(), 0);
            }
        }
        EXPECT_EQ(Read(folder.Path() / "kept.txt"), commit ? "new" : "old");
        // No temporary is left behind either way.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat((folder.Path() / "kept.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(AtomicFile, SaysWhyItCannotStart) {
    AtomicFile file("/nonexistent-folder/file");
    EXPECT_FALSE(file.Ok());
    EXPECT_EQ(file.Error(), ENOENT);
    EXPECT_EQ(file.Commit(), ENOENT);
}

}  // namespace
}  // namespace tramlet
