#pragma once
// The print preview: the "Report Preview" window over a report's finished
// pages. The user pages, zooms, lays several pages across and down, chooses
// the pages to print, prints, saves the report as a PDF file or leaves.
// Only the pages in view are read, so a report of any length opens at once.
#include <string>

#include "platform/page/page_folder.h"
#include "ui/procedure_catalog.h"

namespace vornel::reports {

// Opens the preview on `first_page` with `across` by `down` pages at `zoom`
// (percent; -1 page width; -2 or 0 tiled). Answers 1 when the user chose to
// print (the folder then keeps only the pages chosen), else 0. An empty
// folder answers 0 at once.
int ShowPreview(const ui::Services& services, platform::page::PageFolder& pages, const std::string& title,
                int zoom, int first_page = 1, int across = 1, int down = 1);

}  // namespace vornel::reports
