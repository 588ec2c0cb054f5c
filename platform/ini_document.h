#pragma once
// The text of a settings (INI) file, read and edited in memory so that an edit
// touches only the line concerned and every other byte stays as it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::platform {

// Parsed lines of an INI text. Sections "[Name]" and entries "name=value"
// match without regard to ASCII case; the first matching section and the first
// matching entry in it win. Lines that are neither (comments, junk, a '['
// without ']', a line without '=') are kept untouched and otherwise ignored.
class IniDocument {
 public:
  explicit IniDocument(std::string_view text = {});

  // The whole text, byte for byte as read apart from the edits made.
  std::string Text() const;

  std::optional<std::string> Find(std::string_view section, std::string_view entry) const;
  // Section names in file order, each once (spelled as at its first header).
  std::vector<std::string> Sections() const;
  // Entry names of the first matching section, each once, in file order.
  std::vector<std::string> Entries(std::string_view section) const;

  // Sets an entry: rewrites the value of its first line in place, or adds the
  // entry after the last non-blank line of the section, or adds the section at
  // the end. Returns false (text unchanged) for names or values that cannot be
  // written without changing the meaning of the file.
  bool Set(std::string_view section, std::string_view entry, std::string_view value);
  // Removes every line of the entry in the first matching section; a missing
  // entry is not an error. False only for an unusable name.
  bool Remove(std::string_view section, std::string_view entry);
  // Removes every section of that name with all the lines it holds.
  bool RemoveSection(std::string_view section);

  static bool ValidSectionName(std::string_view section);
  static bool ValidEntryName(std::string_view entry);
  static bool ValidValue(std::string_view value);

  // The line ending the text uses ("\r\n" when its first line ends so), used
  // for every line added.
  const std::string& LineEnding() const { return eol_; }

 private:
  enum class Kind { kOther, kBlank, kSection, kEntry };
  struct Line {
    std::string text;        // content without the line ending
    std::string ending;      // "\n", "\r\n" or "" for an unterminated last line
    Kind kind = Kind::kOther;
    std::string name;        // section or entry name, trimmed
    std::size_t value_begin = 0;  // entries: where the value starts in `text`
  };

  static Line Classify(std::string text, std::string ending);
  // Index of the first section header with that name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // One past the last line belonging to the section whose header is at `header`.
  std::size_t SectionEnd(std::size_t header) const;
  std::size_t FindEntry(std::size_t header, std::string_view entry) const;
  // Makes sure the line before `pos` ends with a line ending before a line is added at `pos`.
  void TerminateBefore(std::size_t pos);

  std::vector<Line> lines_;
  std::string eol_ = "\n";
};

}  // namespace vornel::platform
