// vornel: the program. With --headless --script FILE it runs without a
// screen, driven by the script; otherwise it opens the frame on the screen.
// Either way reports reach PDF files and the printer through the toolkit's
// page output: without a screen on its offscreen platform.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string_view>

#include "app/program.h"
#include "app/report_command/report_command.h"
#include "app/script/headless_run.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_page_output.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel [--root DIR] [--headless --script FILE] [--exit-after-start]\n"
    "  --root DIR          the data root (else $VORNEL_ROOT, else $XDG_DATA_HOME/vornel)\n"
    "  --headless          no screen; with --script FILE runs the script's steps\n"
    "  --exit-after-start  close the frame as soon as it is shown and print the start-up time\n"
    "       vornel [--root DIR] --report NAME [--from DATE] [--to DATE] [--date DATE] [--payer CODE]\n"
    "              [--staff CODE] [--month M] [--year Y] [--option X] [--names X] [--end-dates Y|N]\n"
    "              [--password TEXT] --pdf FILE\n"
    "  --report NAME       runs the report with no screen, its windows answered from the parameters,\n"
    "                      and writes its pages to the PDF file\n";

struct Options {
  vornel::app::ReportCommand report;
  bool headless = false;
  bool exit_after_start = false;
  const char* script = nullptr;
};

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--exit-after-start") {
      options.exit_after_start = true;
    } else if (arg == "--script" && i + 1 < argc) {
      options.script = argv[++i];
    } else if (arg == "--report" && i + 1 < argc) {
      options.report.report = argv[++i];
    } else if (arg == "--pdf" && i + 1 < argc) {
      options.report.pdf = argv[++i];
    } else if (arg.starts_with("--") && vornel::app::IsReportParameter(arg.substr(2)) && i + 1 < argc) {
      options.report.parameters[std::string(arg.substr(2))] = argv[++i];
    } else if (arg == "--root" && i + 1 < argc) {
      ++i;  // read by the path map
    } else if (!arg.starts_with("--root=")) {
      return false;
    }
  }
  if (!options.report.report.empty() || !options.report.pdf.empty() || !options.report.parameters.empty())
    return !options.report.report.empty() && !options.report.pdf.empty() && !options.headless;
  return !options.headless || options.script != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  vornel::platform::PathMap paths = vornel::platform::PathMap::FromEnvironment(argc, argv);
  if (!options.report.report.empty()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication fonts(argc, argv);
    vornel::platform::qt::QtPageOutput output;
    return vornel::app::RunReportCommand(std::move(paths), options.report, output, std::cerr);
  }
  if (options.headless) {
    // Fonts and PDF files without a screen; a platform the caller chose stays.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication fonts(argc, argv);
    vornel::platform::qt::QtPageOutput output;
    return vornel::app::script::RunHeadless(std::move(paths), options.script, std::cout, &output);
  }

  vornel::platform::qt::QtBackend backend(argc, argv);
  vornel::platform::qt::QtPageOutput output;
  vornel::app::Program program(std::move(paths), backend.windows(), backend.display(), &output);
  if (options.exit_after_start) {
    // Ready: the frame is open with the department settled, its title and
    // status bar filled.
    program.on_frame_ready = [&] {
      const auto ready = std::chrono::steady_clock::now();
      std::printf("frame ready after %.1f ms\n",
                  std::chrono::duration<double, std::milli>(ready - started).count());
      std::fflush(stdout);
      program.windows.CloseDown();
    };
  }
  program.threads.on_thread_end = [&backend] { backend.Wake(); };
  if (!program.StartMain()) {
    std::fputs("vornel: the frame's thread could not be started\n", stderr);
    return 1;
  }
  return backend.Run([&] { return program.threads.running() == 0; });
}
