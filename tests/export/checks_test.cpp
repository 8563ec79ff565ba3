// The pre-export checks: repeated SIM numbers and the route-map file, with
// the rule by which a stored map path reaches the file system.
#include "export/checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "export/map_path.h"
#include "platform/text_codec.h"

namespace {

std::string W(const char* utf8) { return platform::Utf8ToCp1251(utf8); }

TObjectData Object(int32_t id, const std::string& sim, const std::string& sim2) {
  TObjectData o;
  o.Id = id;
  o.Sim = sim;
  o.Sim2 = sim2;
  return o;
}

const std::string kKnown =
    "ПРЕДУПРЕЖДЕНИЕ: ОБЪЕКТ 9 ИМЕЕТ УЖЕ СУЩЕСТВУЮЩИЕ В СИСТЕМЕ НОМЕРА СИМ-КАРТ: ";

}  // namespace

TEST(CheckSims, WarnsAboutRepeatsAndClearsTheRepeatedNumbers) {
  const struct {
    const char* sim;
    const char* sim2;
    std::vector<std::string> before;
    std::string warning;  // UTF-8
    const char* sim_after;
    const char* sim2_after;
    size_t list_after;
  } cases[] = {
      {"111", "222", {}, "", "111", "222", 2},
      {"111",
       "111 ",
       {},
       "ПРЕДУПРЕЖДЕНИЕ: У ОБЪЕКТА СОВПАДАЮТ НОМЕРА СИМ-КАРТ: 9: 111",
       "111",
       "",
       0},
      {"111", "333", {"111", "222"}, kKnown + "111  ", "", "333", 3},
      {"111", "222", {"111", "222"}, kKnown + "111  222  ", "", "", 2},
      {"", "222", {"222"}, kKnown + "222  ", "", "", 1},
      {"   ", "", {"1"}, "", "   ", "", 1},
      {"", "", {"1"}, "", "", "", 1},
      {" 444\t", "555", {}, "", " 444\t", "555", 2},
  };
  for (const auto& c : cases) {
    TSimSet list;
    for (const std::string& s : c.before) list.Add(s);
    TObjectData o = Object(9, c.sim, c.sim2);
    EXPECT_EQ(platform::Cp1251ToUtf8(CheckSims(o, list)), c.warning) << c.sim << "|" << c.sim2;
    EXPECT_EQ(o.Sim, c.sim_after);
    EXPECT_EQ(o.Sim2, c.sim2_after);
    EXPECT_EQ(list.Size(), c.list_after);
  }
}

TEST(CheckSims, ComparesAcrossObjectsIgnoringLatinAndCyrillicCase) {
  TSimSet list;
  TObjectData first = Object(1, W("абвЁ-x"), "");
  EXPECT_EQ(CheckSims(first, list), "");
  TObjectData second = Object(2, "", W("АБВё-X"));
  EXPECT_NE(CheckSims(second, list), "");
  EXPECT_EQ(second.Sim2, "");

  // Differing only in case within one object is not "the same number twice",
  TObjectData third = Object(3, "ab", "AB");
  EXPECT_EQ(CheckSims(third, list), "");
  EXPECT_EQ(third.Sim2, "AB");
  // but a later object with either form is found.
  TObjectData fourth = Object(4, "aB", "");
  EXPECT_NE(CheckSims(fourth, list), "");
}

TEST(CheckSims, ANumberGivenTwiceInOneObjectIsNotRemembered) {
  TSimSet list;
  TObjectData first = Object(1, "777", "777");
  EXPECT_NE(CheckSims(first, list), "");
  TObjectData second = Object(2, "777", "");
  EXPECT_EQ(CheckSims(second, list), "");
  EXPECT_EQ(second.Sim, "777");
}

TEST(MapPath, StoredWindowsPathsBecomeLocalPaths) {
  const struct {
    const char* stored;
    const char* local;
    const char* file_name;
  } cases[] = {
      {R"(D:\\maps\\a.png)", "D/maps/a.png", "a.png"},
      {R"(maps\\obj1.png)", "maps/obj1.png", "obj1.png"},
      {R"(\\/srv\\/maps\\/a.png)", "/srv/maps/a.png", "/a.png"},
      {R"(\\\\server\\share\\x.jpg)", "/server/share/x.jpg", "x.jpg"},
      {"C:plan.png", "C/plan.png", "plan.png"},
      {"plan.png", "plan.png", "plan.png"},
      {"ab:c\\\\d.png", "ab:c/d.png", "d.png"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MapFileSystemPath(c.stored), c.local) << c.stored;
    EXPECT_EQ(MapFileName(c.stored), c.file_name) << c.stored;
  }
}

class CheckMapFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir =
        std::filesystem::temp_directory_path() / ("halvex_map_check_" + std::to_string(::getpid()));
    std::filesystem::create_directories(FDir / "D" / "maps" / "folder.png");
    std::ofstream(FDir / "D" / "maps" / "a.png") << "png";
    FOldCwd = std::filesystem::current_path();
    std::filesystem::current_path(FDir);
  }
  void TearDown() override {
    std::filesystem::current_path(FOldCwd);
    std::filesystem::remove_all(FDir);
  }
  std::filesystem::path FDir, FOldCwd;
};

TEST_F(CheckMapFileTest, WarnsWithTheStoredPathWhenNoFileIsThere) {
  TObjectData o;
  o.Id = 7;
  EXPECT_EQ(CheckMapFile(o), "");  // no map at all
  o.MapFile = R"(D:\\maps\\a.png)";
  EXPECT_EQ(CheckMapFile(o), "");
  o.MapFile = R"(d:\\maps\\a.png)";  // another folder: file names keep their case
  EXPECT_EQ(platform::Cp1251ToUtf8(CheckMapFile(o)),
            "ПРЕДУПРЕЖДЕНИЕ: НЕ НАЙДЕН ФАЙЛ С КАРТОЙ ПРОЕЗДА d:\\\\maps\\\\a.png ДЛЯ ОБЪЕКТА 7");
  o.MapFile = R"(D:\\maps\\folder.png)";
  EXPECT_NE(CheckMapFile(o), "");
}
