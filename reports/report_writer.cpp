#include "reports/report_writer.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/window/value_ref.h"

namespace vornel::reports {

std::vector<std::string> WrapWords(std::string_view text, int width, int most) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (static_cast<int>(lines.size()) < most) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) break;
    std::size_t end = std::min(text.find(' ', at), text.size());
    // A word longer than a whole line is cut at the line's width.
    end = std::min(end, at + static_cast<std::size_t>(width));
    const std::string_view word = text.substr(at, end - at);
    if (!line.empty() && line.size() + 1 + word.size() > static_cast<std::size_t>(width)) {
      lines.push_back(std::move(line));
      line.clear();
      continue;
    }
    if (!line.empty()) line += ' ';
    line += word;
    at = end;
  }
  if (!line.empty() && static_cast<int>(lines.size()) < most) lines.push_back(std::move(line));
  return lines;
}

LayoutItem Text(int x, int y, std::string text, Font font, Align align, int width) {
  LayoutItem item;
  item.x = x;
  item.y = y;
  item.width = width;
  item.align = align;
  item.font = font;
  item.text = std::move(text);
  return item;
}

LayoutItem FieldAt(int x, int y, int width, std::string field, std::string picture, Align align, Font font) {
  LayoutItem item = Text(x, y, std::move(field), font, align, width);
  item.kind = LayoutItem::Kind::kField;
  item.picture = std::move(picture);
  return item;
}

LayoutItem Computed(int x, int y, int width, std::function<std::string()> value, Align align, Font font) {
  LayoutItem item = Text(x, y, {}, font, align, width);
  item.kind = LayoutItem::Kind::kComputed;
  item.value = std::move(value);
  return item;
}

LayoutItem TotalAt(int x, int y, int width, std::string total, std::string picture, Font font) {
  LayoutItem item = FieldAt(x, y, width, std::move(total), std::move(picture), Align::kRight, font);
  item.kind = LayoutItem::Kind::kTotal;
  return item;
}

LayoutItem HLine(int x, int y, int width, int thickness) {
  LayoutItem item;
  item.kind = LayoutItem::Kind::kLine;
  item.x = x;
  item.y = y;
  item.width = width;
  item.thickness = thickness;
  return item;
}

LayoutItem BoxAt(int x, int y, int width, int height, int thickness, int fill) {
  LayoutItem item = HLine(x, y, width, thickness);
  item.kind = LayoutItem::Kind::kBox;
  item.height = height;
  item.fill = fill;
  return item;
}

ReportWriter::ReportWriter(const ReportLayout& layout, platform::page::PageFolder& folder, FieldSource fields)
    : layout_(layout), folder_(folder), fields_(std::move(fields)), breaks_(layout.groups.size()) {
  for (const TotalDef& def : layout_.totals) {
    Running total{&def, def.amount};
    if (def.kind == TotalKind::kSum && !total.amount) {
      if (fields_.number) total.amount = fields_.number(def.field);
      if (!total.amount) problem_ = "The total " + def.name + " sums " + def.field + ", which the report does not read.";
    }
    totals_.push_back(std::move(total));
  }
  // Every band is checked now, so that a wrong field stops the report
  // before anything is printed.
  for (const Band* band : {&layout_.page_header, &layout_.page_footer, &layout_.detail, &layout_.closing})
    CompiledOf(*band);
  for (const GroupBreak& group : layout_.groups) {
    CompiledOf(group.header);
    CompiledOf(group.footer);
  }
  for (const auto& [name, band] : layout_.named) CompiledOf(band);
}

const std::vector<ReportWriter::Compiled>& ReportWriter::CompiledOf(const Band& band) {
  const auto found = compiled_.find(&band);
  if (found != compiled_.end()) return found->second;
  std::vector<Compiled> items;
  for (const LayoutItem& item : band.items) {
    Compiled compiled{&item, {}};
    switch (item.kind) {
      case LayoutItem::Kind::kField:
        if (fields_.text) compiled.text = fields_.text(item.text, item.picture);
        if (!compiled.text && problem_.empty()) problem_ = "The report prints " + item.text + ", which it does not read.";
        break;
      case LayoutItem::Kind::kComputed:
        compiled.text = item.value;
        break;
      case LayoutItem::Kind::kTotal: {
        const std::string name = item.text;
        const std::string picture = item.picture;
        if (std::none_of(totals_.begin(), totals_.end(), [&](const Running& t) { return t.def->name == name; }) &&
            problem_.empty())
          problem_ = "The report prints the total " + name + ", which it does not keep.";
        compiled.text = [this, name, picture] {
          double value = Total(name);
          return std::string(platform::FormatValue(platform::Ref(value), picture));
        };
        break;
      }
      default:
        break;
    }
    items.push_back(std::move(compiled));
  }
  return compiled_.emplace(&band, std::move(items)).first->second;
}

double ReportWriter::Total(std::string_view name) const {
  for (const Running& total : totals_) {
    if (total.def->name == name) return total.value;
  }
  return 0;
}

std::string ReportWriter::BreakValue(std::size_t group) {
  const GroupBreak& g = layout_.groups[group];
  if (g.key) return g.key();
  if (!fields_.text) return {};
  // The break compares the stored value, not a picture of it.
  const auto text = fields_.text(g.field, "");
  return text ? text() : std::string();
}

void ReportWriter::Record() {
  if (!problem_.empty()) return;
  std::vector<std::string> values;
  for (std::size_t g = 0; g < layout_.groups.size(); ++g) values.push_back(BreakValue(g));
  std::size_t changed = layout_.groups.size();
  for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
    if (!breaks_[g] || *breaks_[g] != values[g]) {
      changed = g;
      break;
    }
  }
  // Footers of the groups that end, innermost first, then the headers of
  // those that begin, each kept with what follows it down to the record.
  for (std::size_t g = layout_.groups.size(); g-- > changed;) {
    if (breaks_[g]) {
      Print(layout_.groups[g].footer);
      Reset(TotalReset::kGroup, static_cast<int>(g));
    }
  }
  for (std::size_t g = changed; g < layout_.groups.size(); ++g) {
    breaks_[g] = values[g];
    int following = layout_.detail.height;
    for (std::size_t h = g + 1; h < layout_.groups.size(); ++h) following += layout_.groups[h].header.height;
    PrintKeepingWith(layout_.groups[g].header, following);
  }
  ++records_;
  for (Running& total : totals_) total.value += total.def->kind == TotalKind::kCount ? 1.0 : total.amount();
  Print(layout_.detail);
}

bool ReportWriter::Print(std::string_view name) {
  for (const auto& [band_name, band] : layout_.named) {
    if (band_name == name) {
      Print(band);
      return true;
    }
  }
  return false;
}

void ReportWriter::Print(const Band& band) { PrintKeepingWith(band, 0); }

int ReportWriter::BodyBottom() const {
  return layout_.page_height - layout_.bottom - layout_.page_footer.height;
}

void ReportWriter::PrintKeepingWith(const Band& band, int following) {
  if (!problem_.empty() || band.empty()) return;
  if (!page_) StartPage();
  // A band that does not fit goes over, unless the page holds nothing yet
  // (a band taller than a page is printed as it is).
  if (printed_on_page_ && y_ + band.height + following > BodyBottom()) {
    EndPage();
    if (!problem_.empty()) return;
    StartPage();
  }
  Place(band, y_);
  y_ += band.height;
  printed_on_page_ = true;
}

void ReportWriter::StartPage() {
  page_.emplace();
  page_->width = layout_.page_width;
  page_->height = layout_.page_height;
  y_ = layout_.top;
  printed_on_page_ = false;
  Place(layout_.page_header, y_);
  y_ += layout_.page_header.height;
}

void ReportWriter::EndPage() {
  Place(layout_.page_footer, BodyBottom());
  std::string why;
  if (!folder_.Add(std::move(*page_), &why)) problem_ = why;
  page_.reset();
  ++pages_done_;
  Reset(TotalReset::kPage, 0);
}

void ReportWriter::Reset(TotalReset reset, int group) {
  for (Running& total : totals_) {
    if (total.def->reset == reset && (reset != TotalReset::kGroup || total.def->group >= group)) total.value = 0;
  }
}

void ReportWriter::Place(const Band& band, int top) {
  const std::string number = std::to_string(page_number());
  for (const Compiled& compiled : CompiledOf(band)) {
    const LayoutItem& item = *compiled.item;
    const int x = layout_.left + item.x;
    const int y = top + item.y;
    switch (item.kind) {
      case LayoutItem::Kind::kLine:
        page_->lines.push_back({x, y, x + item.width, y + item.height, item.thickness});
        break;
      case LayoutItem::Kind::kBox:
        page_->boxes.push_back({x, y, item.width, item.height, item.thickness, item.fill});
        break;
      default: {
        // A value's picture pads it; its place on the page is the item's alignment.
        std::string text = compiled.text ? std::string(platform::Trim(compiled.text())) : item.text;
        for (std::size_t at = text.find(kPageNumber); at != std::string::npos; at = text.find(kPageNumber, at)) {
          text.replace(at, kPageNumber.size(), number);
          at += number.size();
        }
        if (item.wrap <= 0) {
          if (!text.empty()) page_->texts.push_back({x, y, item.width, item.align, item.font, std::move(text)});
          break;
        }
        // Lines 1.2 times the font's size apart (tenths of a point to thousandths of an inch).
        const int spacing = item.font.size * 5 / 3;
        const std::vector<std::string> lines = WrapWords(text, item.wrap, item.lines);
        for (std::size_t i = 0; i < lines.size(); ++i)
          page_->texts.push_back({x, y + static_cast<int>(i) * spacing, item.width, item.align, item.font, lines[i]});
      }
    }
  }
}

std::string ReportWriter::Finish() {
  if (problem_.empty()) {
    for (std::size_t g = layout_.groups.size(); g-- > 0;) {
      if (breaks_[g]) Print(layout_.groups[g].footer);
    }
    Print(layout_.closing);
    if (page_) EndPage();
  }
  return problem_;
}

}  // namespace vornel::reports
