#include "platform/paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace vornel::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Sets environment variables for one test and restores them afterwards.
class ScopedEnv {
 public:
  ~ScopedEnv() {
    for (const auto& [name, old] : saved_) {
      if (old) ::setenv(name.c_str(), old->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) ::setenv(name.c_str(), value, 1);
    else ::unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(PathMap, MapsSystemPathsUnderTheRoot) {
  TempDir dir;
  PathMap map(dir.path(), dir / "settings");
  const fs::path& root = dir.path();
  EXPECT_EQ(map.Resolve("\\VORNEL\\3\\"), root / "VORNEL" / "3");
  EXPECT_EQ(map.Resolve("\\vornel\\COMMON\\Vendor.dat"), root / "VORNEL" / "COMMON" / "Vendor.dat");
  EXPECT_EQ(map.Resolve("\\vornel\\common\\depts.dat"), root / "VORNEL" / "COMMON" / "depts.dat");
  EXPECT_EQ(map.Resolve("\\vornel\\vornel.ini"), root / "VORNEL" / "vornel.ini");
  EXPECT_EQ(map.Resolve("\\VORNEL\\AppRevs.rev"), root / "VORNEL" / "AppRevs.rev");
  EXPECT_EQ(map.Resolve("C:\\VORNEL\\3"), root / "VORNEL" / "3");
  EXPECT_EQ(map.Resolve("c:/vornel/3/stats/"), root / "VORNEL" / "3" / "STATS");
  EXPECT_EQ(map.Resolve("\\\\vornel\\.\\common\\\\x.dat"), root / "VORNEL" / "COMMON" / "x.dat");
  EXPECT_EQ(map.Resolve("\\vornel\\3\\Client.dat   "), root / "VORNEL" / "3" / "Client.dat")
      << "a name from a padded field loses its trailing blanks";
  EXPECT_EQ(map.Resolve("\\"), root);
  EXPECT_EQ(PathMap::DepartmentDirectory(3), "\\VORNEL\\3\\");
  EXPECT_EQ(PathMap::DepartmentDirectory(12), "\\VORNEL\\12\\");
}

TEST(PathMap, ExistingNamesAreFoundInAnyCase) {
  TempDir dir;
  fs::create_directories(dir / "vornel" / "Common");
  test::WriteFile(dir / "vornel" / "Common" / "DEPTS.DAT", "");
  test::WriteFile(dir / "vornel" / "Vornel.INI", "");
  PathMap map(dir.path(), dir / "settings");
  EXPECT_EQ(map.Resolve("\\VORNEL\\COMMON\\depts.dat"), dir / "vornel" / "Common" / "DEPTS.DAT");
  EXPECT_EQ(map.Resolve("\\VORNEL\\vornel.ini"), dir / "vornel" / "Vornel.INI");
  EXPECT_EQ(map.Resolve("\\Vornel\\common\\Arcs\\cliarc.dat"),
            dir / "vornel" / "Common" / "ARCS" / "cliarc.dat")
      << "below the last existing directory new names follow the usual rule";
  EXPECT_EQ(map.Resolve("\\VORNEL\\3\\"), dir / "vornel" / "3");

  // With both spellings present the exact one wins, else a stable choice.
  fs::create_directories(dir / "VORNEL");
  EXPECT_EQ(map.Resolve("\\VORNEL\\x"), dir / "VORNEL" / "x");
  EXPECT_EQ(map.Resolve("\\vornel\\x"), dir / "vornel" / "x");
  EXPECT_EQ(map.Resolve("\\Vornel\\x"), dir / "VORNEL" / "x");
}

TEST(PathMap, RelativeNamesResolveAgainstTheWorkingDirectory) {
  TempDir dir;
  PathMap map(dir.path(), dir / "settings");
  EXPECT_EQ(map.WorkingDirectory(), "\\");
  EXPECT_EQ(map.Resolve("KIVError.Log"), dir / "KIVError.Log");

  ASSERT_TRUE(map.SetWorkingDirectory(PathMap::DepartmentDirectory(3)));
  EXPECT_EQ(map.WorkingDirectory(), "\\VORNEL\\3\\");
  const fs::path dept = dir / "VORNEL" / "3";
  EXPECT_EQ(map.Resolve("Client.dat"), dept / "Client.dat");
  EXPECT_EQ(map.Resolve("ARCS\\Cliarc.dat"), dept / "ARCS" / "Cliarc.dat");
  EXPECT_EQ(map.Resolve("STATS\\Vis1stat.dat"), dept / "STATS" / "Vis1stat.dat");
  EXPECT_EQ(map.Resolve("Rpttmp1"), dept / "Rpttmp1");
  EXPECT_EQ(map.Resolve("KIVError.Log"), dept / "KIVError.Log");
  EXPECT_EQ(map.Resolve("C:Client.dat"), dept / "Client.dat");
  EXPECT_EQ(map.Resolve("\\VORNEL\\COMMON\\Vendor.dat"), dir / "VORNEL" / "COMMON" / "Vendor.dat");

  ASSERT_TRUE(map.SetWorkingDirectory("arcs"));
  EXPECT_EQ(map.WorkingDirectory(), "\\VORNEL\\3\\arcs\\");
  EXPECT_EQ(map.Resolve("Cliarc.dat"), dept / "ARCS" / "Cliarc.dat");
  ASSERT_TRUE(map.SetWorkingDirectory("C:\\vornel\\4"));
  EXPECT_EQ(map.WorkingDirectory(), "\\vornel\\4\\");

  EXPECT_FALSE(map.SetWorkingDirectory("..\\3"));
  EXPECT_FALSE(map.SetWorkingDirectory(std::string("\\VORNEL\0\\3", 10)));
  EXPECT_EQ(map.WorkingDirectory(), "\\vornel\\4\\") << "a refused change leaves it as it was";

  PathMap copy = map;
  EXPECT_EQ(copy.WorkingDirectory(), "\\vornel\\4\\");
}

TEST(PathMap, NamesThatWouldLeaveTheRootAreRefused) {
  TempDir dir;
  PathMap map(dir / "root", dir / "settings");
  ASSERT_TRUE(map.SetWorkingDirectory("\\VORNEL\\3\\"));
  for (std::string bad : {"..", "..\\..\\etc\\passwd", "\\VORNEL\\..\\..\\x", "C:\\..\\x", "/../x",
                          "a/../../b", "\\VORNEL\\...\\x", "\\VORNEL\\ . \\x", ""}) {
    EXPECT_EQ(map.Resolve(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(map.Resolve(std::string("Client.dat\0.txt", 15)), std::nullopt);
  EXPECT_EQ(map.ResolveSettingsFile(".."), std::nullopt);
  EXPECT_EQ(map.ResolveSettingsFile(""), std::nullopt);
  EXPECT_EQ(map.ResolveSettingsFile("..\\x.ini"), std::nullopt);
  EXPECT_EQ(map.Resolve("/etc/passwd"), dir / "root" / "ETC" / "passwd")
      << "an absolute Linux path is still a name under the root";
}

TEST(PathMap, SettingsFilesWithoutADirectoryLieInTheSettingsDirectory) {
  TempDir dir;
  PathMap map(dir / "root", dir / "settings");
  map.SetWorkingDirectory("\\VORNEL\\3\\");
  EXPECT_EQ(map.ResolveSettingsFile("vornelwn.INI"), dir / "settings" / "vornelwn.INI");
  EXPECT_EQ(map.ResolveSettingsFile("\\vornel\\vornel.ini"), dir / "root" / "VORNEL" / "vornel.ini");
  EXPECT_EQ(map.ResolveSettingsFile("C:\\vornel\\vornel.ini"), dir / "root" / "VORNEL" / "vornel.ini");
  fs::create_directories(dir / "settings");
  test::WriteFile(dir / "settings" / "VORNELWN.ini", "");
  EXPECT_EQ(map.ResolveSettingsFile("vornelwn.INI"), dir / "settings" / "VORNELWN.ini");
}

TEST(PathMap, RootAndSettingsDirectoryComeFromArgumentsThenEnvironment) {
  ScopedEnv env;
  env.Set("HOME", "/home/counsellor");
  env.Set("VORNEL_ROOT", "/srv/vornel");
  env.Set("XDG_DATA_HOME", "/xdg/data");
  env.Set("XDG_CONFIG_HOME", "/xdg/config");

  const char* split_arg[] = {"vornel", "--batch", "--root", "/data/agency", nullptr};
  EXPECT_EQ(PathMap::FromEnvironment(4, split_arg).root(), "/data/agency");
  const char* joined_arg[] = {"vornel", "--root=/data/other"};
  PathMap from_args = PathMap::FromEnvironment(2, joined_arg);
  EXPECT_EQ(from_args.root(), "/data/other");
  EXPECT_EQ(from_args.settings_dir(), "/xdg/config/vornel");
  const char* relative_arg[] = {"vornel", "--root=rel"};
  EXPECT_EQ(PathMap::FromEnvironment(2, relative_arg).root(), fs::current_path() / "rel");

  const char* no_args[] = {"vornel", "--root"};
  EXPECT_EQ(PathMap::FromEnvironment(2, no_args).root(), "/srv/vornel")
      << "--root without a value is ignored";
  env.Set("VORNEL_ROOT", nullptr);
  EXPECT_EQ(PathMap::FromEnvironment(1, no_args).root(), "/xdg/data/vornel");
  env.Set("XDG_DATA_HOME", nullptr);
  env.Set("XDG_CONFIG_HOME", "relative/is/ignored");
  PathMap defaults = PathMap::FromEnvironment(1, no_args);
  EXPECT_EQ(defaults.root(), "/home/counsellor/.local/share/vornel");
  EXPECT_EQ(defaults.settings_dir(), "/home/counsellor/.config/vornel");
  EXPECT_EQ(defaults.WorkingDirectory(), "\\");
}

TEST(PathMap, ReadersSeeAWholeWorkingDirectoryWhileItChanges) {
  TempDir dir;
  PathMap map(dir.path(), dir / "settings");
  map.SetWorkingDirectory(PathMap::DepartmentDirectory(3));
  const fs::path in3 = dir / "VORNEL" / "3" / "Client.dat";
  const fs::path in14 = dir / "VORNEL" / "14" / "Client.dat";
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        std::optional<fs::path> p = map.Resolve("Client.dat");
        if (!p || (*p != in3 && *p != in14)) ++torn;
        std::string wd = map.WorkingDirectory();
        if (wd != "\\VORNEL\\3\\" && wd != "\\VORNEL\\14\\") ++torn;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) map.SetWorkingDirectory(PathMap::DepartmentDirectory(i % 2 ? 14 : 3));
  stop = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace vornel::platform
