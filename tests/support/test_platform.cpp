#include "test_platform.h"

#include <fstream>
#include <iterator>

#include "app/program.h"
#include "commands/parameter_commands.h"
#include "platform/common/std_files.h"
#include "test_doubles.h"

namespace velk0::testing {

class PlatformTest::Backends : public platform::OsBackends {
 public:
  Backends(std::vector<int> notes, std::filesystem::path root)
      : notes_(std::move(notes)), root_(std::move(root)) {}
  std::unique_ptr<platform::Dialogs> make_dialogs() override { return nullptr; }
  std::unique_ptr<platform::Clock> make_clock() override { return nullptr; }
  std::unique_ptr<platform::MidiDevices> make_midi(platform::Clock&) override {
    auto made = std::make_unique<FakeMidiDevices>(notes_);
    midi = made.get();
    return made;
  }
  std::unique_ptr<platform::SoundCues> make_sounds() override {
    return std::make_unique<SilentSounds>();
  }
  std::unique_ptr<platform::Media> make_media(platform::Clock&) override {
    auto media = std::make_unique<FakeMedia>();
    media_ = media.get();
    return media;
  }
  FakeMedia* media_ = nullptr;
  std::unique_ptr<platform::Clipboard> make_clipboard() override {
    auto made = std::make_unique<FakeClipboard>();
    clipboard = made.get();
    return made;
  }
  std::unique_ptr<platform::Programs> make_programs() override {
    auto made = std::make_unique<FakePrograms>();
    programs = made.get();
    return made;
  }
  std::string native_path(std::string_view p) override {
    return platform::posix_native_path(p, root_.string());
  }
  void check_stop() override {
    if (stop_after >= 0 && checks++ >= stop_after) throw StopRequested{};
  }
  int stop_after = -1, checks = 0;

  // Owned by the session.
  FakeMidiDevices* midi = nullptr;
  FakeClipboard* clipboard = nullptr;
  FakePrograms* programs = nullptr;

 private:
  std::vector<int> notes_;
  std::filesystem::path root_;
};

PlatformTest::PlatformTest() = default;
PlatformTest::~PlatformTest() = default;

void PlatformTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = std::filesystem::temp_directory_path() /
          (std::string("velk0-test-") + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(root_);
  std::filesystem::create_directories(root_ / "korvane");
  start();
}

void PlatformTest::TearDown() {
  state_.reset();
  session_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void PlatformTest::start(const std::string& answers, std::vector<int> device_notes) {
  state_.reset();
  session_.reset();
  backends_ = std::make_unique<Backends>(std::move(device_notes), root_);
  platform::SessionOptions options;
  options.answers = answers;
  options.virtual_clock = true;
  options.trace_stream = &trace_;
  options.box_stream = &printed_;
  session_ = std::make_unique<platform::Session>(options, *backends_);
  state_ = std::make_unique<RunState>(session_->platform());
  reset_settings(*state_);
  clear_trace();
}

void PlatformTest::stop_after(int checks) {
  backends_->stop_after = checks;
  backends_->checks = 0;
}

void PlatformTest::shutdown() { session_->shutdown(); }

void PlatformTest::clear_trace() {
  trace_.str("");
  printed_.str("");
}

int PlatformTest::run(std::vector<std::string> args) {
  args.insert(args.begin(), "velk0");
  return run_arguments(*state_, args);
}

std::vector<std::string> PlatformTest::lines() const {
  std::vector<std::string> out;
  std::istringstream in(trace_.str());
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> PlatformTest::events(const std::string& ev) const {
  std::vector<std::string> out;
  for (auto& line : lines())
    if (field(line, "ev") == ev) out.push_back(line);
  return out;
}

std::vector<Midi> PlatformTest::midi() const {
  std::vector<Midi> out;
  for (auto& line : events("midi")) {
    auto pos = line.find("\"bytes\":[");
    Midi m{};
    std::sscanf(line.c_str() + pos + 9, "%d,%d,%d", &m[0], &m[1], &m[2]);
    out.push_back(m);
  }
  return out;
}

std::vector<Midi> PlatformTest::notes_on() const {
  std::vector<Midi> out;
  for (auto& m : midi())
    if ((m[0] & 0xF0) == 0x90) out.push_back(m);
  return out;
}

std::vector<int> PlatformTest::waits() const {
  std::vector<int> out;
  for (auto& line : events("wait")) out.push_back(static_cast<int>(number(line, "ms")));
  return out;
}

std::vector<Box> PlatformTest::boxes() const {
  std::vector<Box> out;
  for (auto& line : events("box"))
    out.push_back({field(line, "style"), field(line, "text"), field(line, "caption"),
                   static_cast<int>(number(line, "answer"))});
  return out;
}

std::vector<std::string> PlatformTest::captions() const {
  std::vector<std::string> out;
  for (auto& b : boxes()) out.push_back(b.caption);
  return out;
}

FakeMedia& PlatformTest::media() { return *backends_->media_; }
std::vector<std::string> PlatformTest::sounds() const {
  std::vector<std::string> out;
  for (auto& line : events("sound")) out.push_back(field(line, "path"));
  return out;
}

std::vector<std::string> PlatformTest::execs() const {
  std::vector<std::string> out;
  for (auto& line : events("exec")) out.push_back(field(line, "command"));
  return out;
}

void PlatformTest::write_file(const std::string& system_path, const std::string& bytes) {
  std::ofstream(backends_->native_path(system_path), std::ios::binary) << bytes;
}

FakeClipboard& PlatformTest::clipboard() { return *backends_->clipboard; }

FakePrograms& PlatformTest::programs() { return *backends_->programs; }

FakeMidiDevices& PlatformTest::midi_devices() { return *backends_->midi; }

std::string PlatformTest::read_file(const std::string& system_path) const {
  std::ifstream in(backends_->native_path(system_path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string field(const std::string& line, const std::string& key) {
  auto pos = line.find("\"" + key + "\":\"");
  if (pos == std::string::npos) return "";
  std::string out;
  for (pos += key.size() + 4; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] != '\\') {
      out += line[pos];
      continue;
    }
    char e = line[++pos];
    if (e == 'n')
      out += '\n';
    else if (e == 'r')
      out += '\r';
    else if (e == 't')
      out += '\t';
    else if (e == 'u') {
      out += static_cast<char>(std::stoi(line.substr(pos + 1, 4), nullptr, 16));
      pos += 4;
    } else
      out += e;
  }
  return out;
}

long long number(const std::string& line, const std::string& key) {
  auto pos = line.find("\"" + key + "\":");
  if (pos == std::string::npos) return -1;
  pos += key.size() + 3;
  if (line.compare(pos, 4, "null") == 0) return -1;
  return std::stoll(line.substr(pos));
}

}  // namespace velk0::testing
