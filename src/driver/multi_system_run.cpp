// The multi-system run: one figure per system of a list.
#include <optional>

#include "base/text.h"
#include "driver/command_line.h"
#include "driver/sensor_run.h"
#include "output/xml_text.h"
#include "profiles/global_listing.h"
#include "profiles/history.h"
#include "profiles/system_profile.h"
#include "scan/scan.h"

namespace quillmeter {
namespace {

struct Tally {
  unsigned systems = 0;
  unsigned processed = 0;
  unsigned failed = 0;
};

// Takes the next name off the list: the text up to its "#", or the rest.
std::string NextSystem(std::string* list) {
  size_t end = list->find('#');
  std::string name = list->substr(0, end);
  list->erase(0, end == std::string::npos ? list->size() : end + 1);
  return name;
}

// A name that cannot be a profile's: too long for one, or one whose NUL
// would make the file system open a shorter name.
bool IsUsableName(const std::string& name) {
  return name.size() <= kMaxProfileName && name.find('\0') == std::string::npos;
}

std::string ChannelName(char label_kind, const std::string& name, const ConnectionProfile& p) {
  switch (label_kind) {
    case '2': return name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
    case '3': return p.host_name;
    case '4': return p.destination;
    default: return name;
  }
}

// Ends the run on a fault of system `name` that stops every system.
// Standard output already holds the opened document and earlier systems'
// channels, so that document is finished as an error instead of a second
// one being started.
int EndRun(SensorRun& run, const ScanResult& scan, const std::string& name) {
  const Status& status = scan.status;
  std::string text =
      scan.step == ScanStep::kDatabaseCheck
          ? status.message() + " - " + OneLine(name + ": " + status.cause(), kMaxCause)
          : Rendered(status) + " - " + name;
  run.writer->FailDocument(text);
  run.Print();
  return 2;
}

// The summary: the counts, then every system that was not processed with
// its state, cut after a whole entry so that PRTG's 2000 characters hold it.
std::string Summary(const std::string& item, const Tally& tally,
                    const std::vector<std::string>& unprocessed) {
  constexpr size_t kMaxText = 2000;
  std::string summary = "(***) " + item + ": NoSystems=" + std::to_string(tally.systems) +
                        ", Processed=" + std::to_string(tally.processed) +
                        ", Failed=" + std::to_string(tally.failed);
  for (size_t i = 0; i < unprocessed.size(); ++i) {
    std::string longer = summary + (i == 0 ? " - " : ", ") + unprocessed[i];
    // Measured as PRTG reads the document, escaped.
    if (EscapeXml(longer).size() > kMaxText) break;
    summary = std::move(longer);
  }
  return summary;
}

}  // namespace

int RunMultiSystem(SensorRun& run, const ProfileFile& file) {
  Platform& platform = run.context.platform;
  ListingRequest request{file.path, file.name, run.options.first_word,
                         run.options.item.value_or(""), run.second_argument};
  SystemListing listing;
  if (Status read = ReadSystemListing(platform, request, &listing); !read.ok())
    return run.Fail(read);
  if (listing.parameters) {
    run.options = AllocationOptions(run.options, *listing.parameters);
    run.writer = MakeResultWriter(run.mode, run.options.channel);
  }
  // A figure the sensor does not know would log on to every system for
  // nothing and answer a green sensor without data.
  const std::optional<size_t> figure = FigureOfItem(listing.item_id);
  if (!figure) {
    std::string names;
    for (const Figure& known : kFigures)
      names += (names.empty() ? "" : ", ") + std::string(known.channel);
    return run.Fail(
        Status::Error("Error 1046: Item " + listing.item_id + " is none of " + names + " !"));
  }
  std::unique_ptr<SapLibrary> library;
  if (Status loaded = run.LoadLibrary(&library); !loaded.ok()) return run.Fail(loaded);
  run.CallLogOf(file.name).Event(0, "program started", platform.ExecutablePath());

  std::ostream& out = run.context.out;
  if (run.options.console_trace) {
    out << run.banner << "\n";
    out << "* " << run.TimeOfDay() << " " << ListingParameterDisplay(run.options.parameter_text)
        << " State=Executing\n";
  }
  ResultWriter& writer = *run.writer;
  writer.OpenDocument();
  run.Print("\n");
  run.document_open = true;

  const HistoryKey history{listing.history_sensor};
  Tally tally;
  std::vector<std::string> unprocessed;  // "<name>: <state>"
  std::string list = listing.system_list;
  while (!list.empty()) {
    ++tally.systems;
    const std::string name = NextSystem(&list);
    const std::string path = file.dir + name;

    ScanRequest scan_request;
    scan_request.history = history;
    scan_request.open.profile_name = name;
    scan_request.open.overrides = {run.options.host, run.options.system_number};
    ConnectionProfile& profile = scan_request.open.profile;
    bool valid = false;
    if (IsUsableName(name)) {
      SystemProfileRead read =
          ReadProfileForSystem(platform, path, &profile, &scan_request.profile_text);
      if (read == SystemProfileRead::kMissing) {
        unprocessed.push_back(name + ": missing");
        continue;
      }
      valid = read == SystemProfileRead::kValid;
    }
    const std::string channel = ChannelName(listing.label_kind, name, profile);
    std::string state_line;
    if (run.options.console_trace)
      state_line = "* " + run.TimeOfDay() + " " + name + ", " + profile.display_host + ", " +
                   profile.destination + ", " + profile.system_number + ", " + profile.client;

    std::unique_ptr<SapSystem> system = library->NewSystem(run.CallLogOf(name));
    bool measured = false;
    // A logon known to be incomplete or wrong is never sent: SAP would
    // count it against the RFC user and may lock it.
    if (valid) {
      ScanResult scan = ScanSystem(*system, scan_request);
      if (run.options.console_trace && !scan.console_note.empty()) out << scan.console_note << "\n";
      switch (scan.step) {
        case ScanStep::kCollectionTime:
        case ScanStep::kSystemInfo:
        case ScanStep::kDatabaseCheck: return EndRun(run, scan, name);
        case ScanStep::kOpen: valid = false; break;
        case ScanStep::kMonitor: break;
        case ScanStep::kDone:
          measured = !scan.history || CommitHistory(platform, path, *scan.history).ok();
          if (measured) {
            writer.Channel(channel, std::to_string(scan.growth[*figure]), "");
            run.Print();
          }
          break;
      }
    }

    const char* state = valid && measured ? "Processed" : "Rfc Failure";
    if (valid && measured) {
      ++tally.processed;
    } else {
      ++tally.failed;
      unprocessed.push_back(name + ": " + state);
    }
    if (run.options.console_trace) out << "\n" << state_line << " State=" << state << "\n";
  }

  writer.Summary(Summary(listing.item_id, tally, unprocessed));
  writer.CloseDocument();
  run.Print("\n");
  run.PrintProcessedLine();
  out.flush();
  return 0;
}

}  // namespace quillmeter
