#include "platform/settings_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ini_document.h"
#include "tests/support/temp_dir.h"

namespace vornel::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Shows control characters and high bytes so a failing random input can be read.
std::string Escaped(std::string_view text) {
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

mode_t ModeOf(const std::filesystem::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(IniDocument, ReadsSectionsAndEntriesWithoutRegardToCase) {
  IniDocument doc(
      "Orphan=before any section\n"
      "[Main]\n"
      "  XPos =  10  \n"
      "Maximize=No\n"
      "Title=\"  padded  \"\n"
      "Half=\"open\n"
      "Empty=\n"
      "xpos=20\n"
      "[ main ]\n"
      "Width=99\n"
      "[Program Control]\n"
      "History Popup=Yes\n");
  EXPECT_EQ(doc.Find("MAIN", "xPOS"), "10") << "blanks trimmed, first duplicate wins";
  EXPECT_EQ(doc.Find(" main ", " maximize "), "No");
  EXPECT_EQ(doc.Find("Main", "Title"), "  padded  ") << "outer quotes removed, inner blanks kept";
  EXPECT_EQ(doc.Find("Main", "Half"), "\"open") << "an unmatched quote stays";
  EXPECT_EQ(doc.Find("Main", "Empty"), "");
  EXPECT_EQ(doc.Find("Main", "Width"), std::nullopt) << "only the first [Main] counts";
  EXPECT_EQ(doc.Find("Main", "Orphan"), std::nullopt);
  EXPECT_EQ(doc.Find("Missing", "XPos"), std::nullopt);
  EXPECT_EQ(doc.Find("program control", "HISTORY POPUP"), "Yes");
  EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"Main", "Program Control"}));
  EXPECT_EQ(doc.Entries("main"),
            (std::vector<std::string>{"XPos", "Maximize", "Title", "Half", "Empty"}));
  EXPECT_TRUE(doc.Entries("Missing").empty());
}

TEST(IniDocument, MalformedLinesAreKeptAndNeverStopReading) {
  std::string junk("\x01\xff\xfe=\0[", 6);
  std::string text = "[A]\n"
                     "no equals sign\n"
                     "[unclosed\n"
                     "; a=comment\n"
                     "# b=comment\n" +
                     junk + "\n" + std::string(200000, 'x') + "=long\n" +
                     "=no name\n"
                     "\n"
                     "a=1\n"
                     "b=2";
  IniDocument doc(text);
  EXPECT_EQ(doc.Text(), text);
  EXPECT_EQ(doc.Find("A", "a"), "1") << "'[unclosed' does not start a section";
  EXPECT_EQ(doc.Find("A", "b"), "2");
  EXPECT_EQ(doc.Find("A", "; a"), std::nullopt);
  EXPECT_EQ(doc.Find("A", std::string(200000, 'X')), "long");

  ASSERT_TRUE(doc.Set("A", "c", "3"));
  EXPECT_EQ(doc.Text(), text + "\nc=3\n") << "the unterminated last line gets a line ending";
  ASSERT_TRUE(doc.Set("A", "a", "one"));
  ASSERT_TRUE(doc.Remove("A", "b"));
  std::string expected = text;
  expected.replace(expected.find("a=1\nb=2"), 7, "a=one\n");
  expected += "c=3\n";
  EXPECT_EQ(doc.Text(), expected);
}

TEST(IniDocument, SetChangesOnlyTheLineConcerned) {
  const std::string text =
      "; window positions\n"
      "[Main]\n"
      "  XPos =  10\n"
      "YPos=5\n"
      "\n"
      "\n"
      "[BrowseClient]\n"
      "Width=300\n";
  IniDocument doc(text);
  ASSERT_TRUE(doc.Set("main", "xpos", "12"));
  EXPECT_EQ(doc.Text(), "; window positions\n[Main]\n  XPos =  12\nYPos=5\n\n\n[BrowseClient]\nWidth=300\n")
      << "the name keeps its spelling and spacing";
  ASSERT_TRUE(doc.Set("Main", "Maximize", "No"));
  EXPECT_EQ(doc.Text(),
            "; window positions\n[Main]\n  XPos =  12\nYPos=5\nMaximize=No\n\n\n"
            "[BrowseClient]\nWidth=300\n")
      << "a new entry goes before the section's trailing blank lines";
  ASSERT_TRUE(doc.Set("Program Control", "History Popup", "Yes"));
  EXPECT_TRUE(doc.Text().ends_with("Width=300\n[Program Control]\nHistory Popup=Yes\n"));

  IniDocument header_only("[Main]");
  ASSERT_TRUE(header_only.Set("Main", "XPos", "1"));
  EXPECT_EQ(header_only.Text(), "[Main]\nXPos=1\n");

  IniDocument empty;
  ASSERT_TRUE(empty.Set("S", "e", "v"));
  EXPECT_EQ(empty.Text(), "[S]\ne=v\n");

  // Values the reader would otherwise alter are quoted so they read back exactly.
  for (std::string value : {"  lead", "trail ", "\"quoted\"", "\"", "\" x", "a \"b\" c", ""}) {
    ASSERT_TRUE(empty.Set("S", "e", value));
    EXPECT_EQ(empty.Find("S", "e"), value) << Escaped(empty.Text());
  }
}

TEST(IniDocument, CrlfFilesStayCrlf) {
  const std::string text = "[Main]\r\nXPos=1\r\n; note\r\n\r\n[Other]\r\nx=y\r\n";
  IniDocument doc(text);
  EXPECT_EQ(doc.Find("Main", "XPos"), "1");
  ASSERT_TRUE(doc.Set("Main", "XPos", "2"));
  ASSERT_TRUE(doc.Set("Main", "YPos", "3"));
  ASSERT_TRUE(doc.Set("New", "a", "b"));
  EXPECT_EQ(doc.Text(),
            "[Main]\r\nXPos=2\r\n; note\r\nYPos=3\r\n\r\n[Other]\r\nx=y\r\n[New]\r\na=b\r\n");
}

TEST(IniDocument, RemoveTakesEveryCopyOfTheEntryOrSection) {
  IniDocument doc("[A]\nx=1\ny=2\nX=3\n[B]\nx=4\n[a]\nx=5\nz=6\n");
  ASSERT_TRUE(doc.Remove("a", "x"));
  EXPECT_EQ(doc.Text(), "[A]\ny=2\n[B]\nx=4\n[a]\nx=5\nz=6\n")
      << "duplicates in the first section go, so the entry reads as missing";
  EXPECT_EQ(doc.Find("A", "x"), std::nullopt);
  EXPECT_TRUE(doc.Remove("A", "missing"));
  EXPECT_TRUE(doc.Remove("Missing", "x"));
  ASSERT_TRUE(doc.RemoveSection("A"));
  EXPECT_EQ(doc.Text(), "[B]\nx=4\n");
  EXPECT_TRUE(doc.RemoveSection("A"));
}

TEST(IniDocument, RefusesNamesAndValuesThatWouldCorruptTheFile) {
  const std::string text = "[Main]\nXPos=1\n";
  IniDocument doc(text);
  EXPECT_FALSE(doc.Set("Main", "XPos", "1\n[Evil]"));
  EXPECT_FALSE(doc.Set("Main", "XPos", "1\r"));
  EXPECT_FALSE(doc.Set("Main", "XPos", std::string("a\0b", 3)));
  EXPECT_FALSE(doc.Set("Ma]in", "XPos", "1"));
  EXPECT_FALSE(doc.Set("Ma\nin", "XPos", "1"));
  EXPECT_FALSE(doc.Set("  ", "XPos", "1"));
  EXPECT_FALSE(doc.Set("Main", "X=Pos", "1"));
  EXPECT_FALSE(doc.Set("Main", "X\nPos", "1"));
  EXPECT_FALSE(doc.Set("Main", "", "1"));
  EXPECT_FALSE(doc.Set("Main", "[X", "1"));
  EXPECT_FALSE(doc.Set("Main", ";X", "1"));
  EXPECT_FALSE(doc.Set("Main", "#X", "1"));
  EXPECT_FALSE(doc.Remove("Main", "X=Pos"));
  EXPECT_FALSE(doc.RemoveSection("Ma]in"));
  EXPECT_EQ(doc.Text(), text);
}

// Lines of a text with their endings, for comparing texts line by line.
struct RawLine {
  std::string content;
  std::string ending;
  bool last = false;
};

std::vector<RawLine> SplitLines(std::string_view text) {
  std::vector<RawLine> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {
      lines.push_back({std::string(text.substr(pos)), "", false});
      break;
    }
    std::size_t end = nl > pos && text[nl - 1] == '\r' ? nl - 1 : nl;
    lines.push_back({std::string(text.substr(pos, end - pos)), std::string(text.substr(end, nl + 1 - end)),
                     false});
    pos = nl + 1;
  }
  if (!lines.empty()) lines.back().last = true;
  return lines;
}

// An unchanged line, allowing the old last line to gain the line ending it lacked.
bool Kept(const RawLine& before, const RawLine& after) {
  if (before.content == after.content && before.ending == after.ending) return true;
  if (!before.last || !before.ending.empty()) return false;
  // A trailing CR of the old last line may have become part of its new "\r\n".
  std::string now = after.content + after.ending;
  return now.starts_with(before.content) &&
         (now.size() - before.content.size() == 1 || now.size() - before.content.size() == 2) &&
         now.ends_with("\n");
}

// Number of lines that differ at the start (`before`) and end of two line lists.
std::pair<std::size_t, std::size_t> ChangedCounts(const std::vector<RawLine>& before,
                                                  const std::vector<RawLine>& after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && Kept(before[prefix], after[prefix])) ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         Kept(before[before.size() - 1 - suffix], after[after.size() - 1 - suffix])) {
    ++suffix;
  }
  return {before.size() - prefix - suffix, after.size() - prefix - suffix};
}

// Every value readable in `doc`, by section and entry.
std::vector<std::pair<std::pair<std::string, std::string>, std::string>> AllValues(
    const IniDocument& doc) {
  std::vector<std::pair<std::pair<std::string, std::string>, std::string>> values;
  for (const std::string& section : doc.Sections()) {
    for (const std::string& entry : doc.Entries(section)) {
      std::optional<std::string> value = doc.Find(section, entry);
      EXPECT_TRUE(value) << section << "/" << entry;
      values.push_back({{section, entry}, value.value_or("")});
    }
  }
  return values;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

std::string Trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

TEST(IniDocument, RandomInputsReadAndEditSafely) {
  std::mt19937 rng(20240611);
  // Any byte the reader must survive, and a small name alphabet so that names repeat.
  const std::string alphabet = std::string("[]=;#\"\r\n \tabcABC\0\x80\xff", 18);
  const std::string name_alphabet = "aAbBaAbBaAbB []\";#=\x80";
  const std::string value_alphabet = "ab \"=[];\t";
  const std::string endings[] = {"\n", "\r\n", "\n", "\r", ""};
  auto pick = [&](const std::string& from, std::size_t max_len) {
    std::string s(std::uniform_int_distribution<std::size_t>(0, max_len)(rng), ' ');
    for (char& c : s) c = from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
    return s;
  };
  // Random lines, about half of them shaped like headers or entries so that
  // edits often meet existing sections and entries.
  auto line_name = [&] { return rng() % 4 ? "a" + pick("aAbB", 2) : pick(name_alphabet, 3); };
  auto random_text = [&] {
    std::string text;
    for (std::size_t n = rng() % 9; n > 0; --n) {
      switch (rng() % 4) {
        case 0: text += pick(" \t", 1) + "[" + line_name() + "]" + pick(alphabet, 2); break;
        case 1: text += pick(" \t", 1) + line_name() + pick(" ", 1) + "=" + pick(value_alphabet, 5); break;
        default: text += pick(alphabet, 10); break;
      }
      text += endings[rng() % 5];
    }
    return text;
  };
  auto with_random_case = [&](std::string s) {
    for (char& c : s) {
      if (rng() & 1) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      else c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
  };

  // How often each path was taken, so the test cannot quietly stop covering one.
  int refused = 0, replaced = 0, added = 0, removed = 0;
  for (int round = 0; round < 100000; ++round) {
    const std::string text = random_text();
    IniDocument doc(text);
    ASSERT_EQ(doc.Text(), text) << Escaped(text);
    const auto values = AllValues(doc);
    if (round % 5 != 0) continue;

    // Names: often ones already in the text (in another case), else new random ones.
    auto fresh_name = [&] { return rng() % 8 ? "a" + pick("aAbB", 2) : pick(name_alphabet, 3); };
    std::string section = fresh_name();
    std::string entry = fresh_name();
    if (!values.empty() && rng() % 3 != 0) {
      const auto& chosen = values[rng() % values.size()];
      section = with_random_case(chosen.first.first);
      entry = with_random_case(chosen.first.second);
    } else if (!doc.Sections().empty() && rng() % 2 == 0) {
      section = doc.Sections()[rng() % doc.Sections().size()];
    }
    const bool valid = IniDocument::ValidSectionName(section) && IniDocument::ValidEntryName(entry);
    const auto before = SplitLines(text);

    if (rng() % 2 == 0) {
      const std::string value = pick(value_alphabet, 8);
      IniDocument edited(text);
      ASSERT_EQ(edited.Set(section, entry, value), valid) << Escaped(section) << "/" << Escaped(entry);
      if (!valid) {
        ++refused;
        ASSERT_EQ(edited.Text(), text);
        continue;
      }
      ++(doc.Find(section, entry) ? replaced : added);
      const std::string after_text = edited.Text();
      ASSERT_EQ(IniDocument(after_text).Find(section, entry), value)
          << Escaped(text) << " => " << Escaped(after_text);
      auto [lines_gone, lines_new] = ChangedCounts(before, SplitLines(after_text));
      EXPECT_LE(lines_gone, 1u) << Escaped(text) << " => " << Escaped(after_text);
      EXPECT_LE(lines_new, 2u) << Escaped(text) << " => " << Escaped(after_text);
      IniDocument reread(after_text);
      for (const auto& [key, old_value] : values) {
        if (SameNoCase(Trimmed(key.first), Trimmed(section)) &&
            SameNoCase(Trimmed(key.second), Trimmed(entry))) {
          continue;
        }
        EXPECT_EQ(reread.Find(key.first, key.second), old_value)
            << Escaped(text) << " => " << Escaped(after_text);
      }
    } else {
      IniDocument edited(text);
      ASSERT_EQ(edited.Remove(section, entry), valid);
      const std::string after_text = edited.Text();
      if (!valid) {
        ++refused;
        ASSERT_EQ(after_text, text);
        continue;
      }
      if (after_text != text) ++removed;
      EXPECT_EQ(IniDocument(after_text).Find(section, entry), std::nullopt) << Escaped(after_text);
      // Every line is still there in order, except lines of that entry.
      const auto after = SplitLines(after_text);
      std::size_t kept = 0;
      for (const RawLine& line : before) {
        if (kept < after.size() && Kept(line, after[kept])) {
          ++kept;
          continue;
        }
        std::size_t eq = line.content.find('=');
        EXPECT_TRUE(eq != std::string::npos &&
                    SameNoCase(Trimmed(line.content.substr(0, eq)), Trimmed(entry)))
            << Escaped(text) << " => " << Escaped(after_text);
      }
      EXPECT_EQ(kept, after.size()) << Escaped(text) << " => " << Escaped(after_text);
    }
  }
  EXPECT_GT(refused, 500);
  EXPECT_GT(replaced, 500);
  EXPECT_GT(added, 500);
  EXPECT_GT(removed, 500);
}

TEST(SettingsFile, MissingFileReadsAsEmpty) {
  TempDir dir;
  SettingsFile file(dir / "vornelwn.INI");
  EXPECT_EQ(file.Get("Main", "XPos", "none"), "none");
  EXPECT_EQ(file.Find("Main", "XPos"), std::nullopt);
  EXPECT_EQ(file.GetInt("Main", "XPos", -1), -1);
  EXPECT_TRUE(file.Sections().empty());
  EXPECT_TRUE(file.Remove("Main", "XPos"));
  EXPECT_TRUE(file.RemoveSection("Main"));
  EXPECT_FALSE(std::filesystem::exists(file.path())) << "removing nothing creates no file";
}

TEST(SettingsFile, SeesChangesOnDiskAndWritesOnlyTheLineConcerned) {
  TempDir dir;
  const std::string text =
      "; kept\r\n[Main]\r\nMaximize=No\r\nXPos = 10\r\nYPos=abc\r\nWidth=99999999999999999999\r\n"
      "odd line\r\n\r\n[__Dont_Touch_Me__]\r\nSectors=Main\r\n";
  WriteFile(dir / "vornelwn.INI", text);
  SettingsFile file(dir / "vornelwn.INI");
  EXPECT_EQ(file.GetInt("MAIN", "xpos", 0), 10);
  EXPECT_EQ(file.GetInt("Main", "YPos", 7), 7) << "non-numeric";
  EXPECT_EQ(file.GetInt("Main", "Width", 7), 7) << "out of range";
  EXPECT_EQ(file.Get("main", "MAXIMIZE"), "No");
  EXPECT_EQ(file.Entries("Main"), (std::vector<std::string>{"Maximize", "XPos", "YPos", "Width"}));

  ASSERT_TRUE(file.SetInt("Main", "XPos", -20)) << file.LastError();
  ASSERT_TRUE(file.Set("Main", "Height", "300"));
  ASSERT_TRUE(file.Remove("Main", "YPos"));
  EXPECT_EQ(ReadFile(file.path()),
            "; kept\r\n[Main]\r\nMaximize=No\r\nXPos = -20\r\nWidth=99999999999999999999\r\n"
            "odd line\r\nHeight=300\r\n\r\n[__Dont_Touch_Me__]\r\nSectors=Main\r\n");
  EXPECT_EQ(file.GetInt("Main", "XPos", 0), -20);

  // Another workstation changes the file: the next read sees it.
  WriteFile(file.path(), "[Main]\nXPos=+5\n");
  EXPECT_EQ(file.GetInt("Main", "XPos", 0), 5);
  ASSERT_TRUE(file.RemoveSection("main"));
  EXPECT_EQ(ReadFile(file.path()), "");
}

TEST(SettingsFile, NewFilesArePrivateAndExistingModesKept) {
  TempDir dir;
  SettingsFile fresh(dir / "new" / "deeper" / "vornelwn.INI");
  ASSERT_TRUE(fresh.Set("Main", "XPos", "1")) << fresh.LastError();
  EXPECT_EQ(ModeOf(fresh.path()), 0600u);
  EXPECT_EQ(ModeOf(dir / "new"), 0700u);
  EXPECT_EQ(ModeOf(dir / "new" / "deeper"), 0700u);

  WriteFile(dir / "vornel.ini", "[Program Control]\n");
  ASSERT_EQ(::chmod((dir / "vornel.ini").c_str(), 0640), 0);
  SettingsFile shared(dir / "vornel.ini");
  ASSERT_TRUE(shared.Set("Program Control", "History Popup", "Yes"));
  EXPECT_EQ(ModeOf(shared.path()), 0640u);

  // A write through a symbolic link changes the file it points to.
  std::filesystem::create_symlink("vornel.ini", dir / "link.ini");
  ASSERT_TRUE(SettingsFile(dir / "link.ini").Set("Program Control", "History Popup", "No"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(shared.Get("Program Control", "History Popup"), "No");

  // Nothing but the files and their lock files is left behind.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"link.ini", "new", "vornel.ini", "vornel.ini.lock"}));
}

TEST(SettingsFile, FailedWritesSayWhyAndChangeNothing) {
  TempDir dir;
  WriteFile(dir / "s.ini", "[A]\nx=1\n");
  SettingsFile file(dir / "s.ini");
  EXPECT_FALSE(file.Set("A", "x", "1\n[B]"));
  EXPECT_NE(file.LastError(), "");
  EXPECT_FALSE(file.Set("A]", "x", "1"));
  EXPECT_FALSE(file.Remove("A", "x=y"));
  EXPECT_EQ(ReadFile(file.path()), "[A]\nx=1\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "s.ini.lock")) << "refused before touching the disk";

  // A path that cannot be read must not be replaced by a file holding only the new entry.
  std::filesystem::create_directory(dir / "folder.ini");
  SettingsFile not_a_file(dir / "folder.ini");
  EXPECT_FALSE(not_a_file.Set("A", "x", "1"));
  EXPECT_NE(not_a_file.LastError().find("folder.ini is a directory"), std::string::npos)
      << not_a_file.LastError();
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
  EXPECT_EQ(not_a_file.Get("A", "x", "d"), "d");

  SettingsFile under_a_file(dir / "s.ini" / "t.ini");
  EXPECT_FALSE(under_a_file.Set("A", "x", "1"));
  EXPECT_NE(under_a_file.LastError(), "");
  EXPECT_TRUE(file.Set("A", "x", "2"));
  EXPECT_EQ(file.LastError(), "");
}

// Bytes this process has read through read() so far.
long long BytesRead() {
  std::string io = ReadFile("/proc/self/io");
  const std::size_t at = io.find("rchar: ");
  return at == std::string::npos ? -1 : std::stoll(io.substr(at + 7));
}

TEST(SettingsFile, AnUnchangedFileIsReadOnceAndAWriteIsSeenAtOnce) {
  TempDir dir;
  const std::string filler = "; " + std::string(500000, 'x') + "\n";
  WriteFile(dir / "agency.ini", filler + "[Agency]\nName=Hill\n");
  // Written an hour ago: settled, so its times tell every change.
  const timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "agency.ini").c_str(), old, 0), 0);
  SettingsFile file(dir / "agency.ini");
  ASSERT_EQ(file.Get("Agency", "Name"), "Hill");
  const long long before = BytesRead();
  ASSERT_GE(before, 0);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(SettingsFile(dir / "agency.ini").Get("Agency", "Name"), "Hill");
  EXPECT_LT(BytesRead() - before, 100000) << "read again instead of once";

  ASSERT_TRUE(file.Set("Agency", "Name", "Dale")) << file.LastError();
  EXPECT_EQ(SettingsFile(dir / "agency.ini").Get("Agency", "Name"), "Dale");
  // Another workstation rewrites it in place, keeping its size.
  WriteFile(dir / "agency.ini", filler + "[Agency]\nName=Erie\n");
  EXPECT_EQ(file.Get("Agency", "Name"), "Erie");
}

TEST(SettingsFile, OnlyARegularFileOfASaneSizeIsRead) {
  TempDir dir;
  // A FIFO would block a plain open until a writer comes.
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  auto answer = std::make_shared<std::promise<std::string>>();
  std::future<std::string> got = answer->get_future();
  std::thread([answer, path = dir / "fifo.ini"] {
    SettingsFile fifo(path);
    answer->set_value(fifo.Get("A", "x", "default") + "|" + fifo.Problem());
  }).detach();
  ASSERT_EQ(got.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the read hangs";
  EXPECT_EQ(got.get(), "default|" + (dir / "fifo.ini").string() +
                           " is a FIFO (named pipe), not a settings file");
  SettingsFile fifo(dir / "fifo.ini");
  EXPECT_FALSE(fifo.Set("A", "x", "1"));
  EXPECT_NE(fifo.LastError().find("FIFO"), std::string::npos) << fifo.LastError();

  // A device read to its end would fill memory.
  std::filesystem::create_symlink("/dev/zero", dir / "zero.ini");
  SettingsFile zero(dir / "zero.ini");
  EXPECT_EQ(zero.Get("A", "x", "default"), "default");
  EXPECT_EQ(zero.Problem(), (dir / "zero.ini").string() + " is a device, not a settings file");

  const std::string big = "[A]\nx=1\n" + std::string(SettingsFile::kMostBytes, ';');
  WriteFile(dir / "big.ini", big);
  SettingsFile large(dir / "big.ini");
  EXPECT_EQ(large.Get("A", "x", "default"), "default");
  EXPECT_NE(large.Problem().find("big.ini is larger than 1048576 bytes"), std::string::npos)
      << large.Problem();
  EXPECT_FALSE(large.Set("A", "x", "2"));
  EXPECT_EQ(ReadFile(dir / "big.ini"), big) << "what could not be read is not replaced";

  WriteFile(dir / "good.ini", "[A]\nx=1\n" + std::string(SettingsFile::kMostBytes - 100, ';'));
  EXPECT_EQ(SettingsFile(dir / "good.ini").Get("A", "x"), "1");
  EXPECT_EQ(SettingsFile(dir / "good.ini").Problem(), "");
  EXPECT_EQ(SettingsFile(dir / "missing.ini").Problem(), "");
}

TEST(SettingsFile, ConcurrentWritersFromSeveralProcessesLoseNothing) {
  TempDir dir;
  const std::filesystem::path path = dir / "vornelwn.INI";
  WriteFile(path, "; shared by two writers\n[Common]\nkeep=me\n");
  constexpr int kWriters = 2;
  constexpr int kEntries = 200;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      SettingsFile file(path);
      int failures = 0;
      for (int i = 0; i < kEntries; ++i) {
        // Both writers use the same sections, so every write races with the other's.
        if (!file.Set("Section" + std::to_string(i % 3), "W" + std::to_string(w) + "E" + std::to_string(i),
                      std::to_string(i))) {
          ++failures;
        }
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  SettingsFile file(path);
  EXPECT_EQ(file.Get("Common", "keep"), "me");
  int found = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kEntries; ++i) {
      found += file.GetInt("Section" + std::to_string(i % 3), "W" + std::to_string(w) + "E" + std::to_string(i), -1) == i;
    }
  }
  EXPECT_EQ(found, kWriters * kEntries);
  EXPECT_TRUE(ReadFile(path).starts_with("; shared by two writers\n[Common]\nkeep=me\n"));
}

}  // namespace
}  // namespace vornel::platform
