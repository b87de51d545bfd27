#include "platform/win32/win32_backends.h"

#include <algorithm>
#include <cstring>

#include "platform/common/text_encoding.h"

namespace velk0::platform::win32 {
namespace {

// What the console control handler needs: the device that may be sounding,
// and a flag that stops any further opening once the process is ending. The
// lock lives as long as the process, since the handler runs on a thread of
// its own that may outlive every object of the program.
struct DeviceRegistry {
  DeviceRegistry() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  WinmmMidi* device = nullptr;
  bool ending = false;
  bool timer_raised = false;
};

DeviceRegistry& registry() {
  static DeviceRegistry* instance = new DeviceRegistry;  // never destroyed: see above
  return *instance;
}

class Locked {
 public:
  Locked() { EnterCriticalSection(&registry().lock); }
  ~Locked() { LeaveCriticalSection(&registry().lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

// Exit code of a console program ended by Ctrl-C.
constexpr UINT kInterruptedExitCode = 0xC000013AU;

BOOL WINAPI on_console_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  {
    Locked locked;
    registry().ending = true;
    if (registry().device) registry().device->silence_and_close();
    mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_CLOSE, MCI_WAIT, 0);
    if (registry().timer_raised) timeEndPeriod(1);
    registry().timer_raised = false;
  }
  ExitProcess(kInterruptedExitCode);
  return TRUE;
}

constexpr std::uint64_t kMicrosecondsPerSecond = 1000000;
// A deadline passed by more than this is stale: the program did something
// else in between (a box, a file), and the next wait starts from now.
constexpr std::uint64_t kCatchUpUs = 50000;

}  // namespace

int MessageBoxDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  // The ANSI box shows Windows-1252; chord names carry two code page 850
  // letters that would otherwise show wrong.
  std::string shown_text = to_display_ansi(text);
  std::string shown_caption = to_display_ansi(caption);
  return MessageBoxExA(nullptr, shown_text.c_str(), shown_caption.c_str(), static_cast<UINT>(style),
                       0);
}

WinmmMidi::WinmmMidi() {
  Locked locked;
  registry().device = this;
}

WinmmMidi::~WinmmMidi() {
  Locked locked;
  silence_and_close();
  if (registry().device == this) registry().device = nullptr;
}

unsigned WinmmMidi::count() { return midiOutGetNumDevs(); }

int WinmmMidi::notes(unsigned index) {
  MIDIOUTCAPSA caps{};
  if (midiOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
  return caps.wNotes;
}

std::string WinmmMidi::name(unsigned index) {
  MIDIOUTCAPSA caps{};
  if (midiOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
  return std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

bool WinmmMidi::open(unsigned index) {
  Locked locked;
  if (handle_) silence_and_close();
  if (registry().ending) return false;
  HMIDIOUT handle = nullptr;
  if (midiOutOpen(&handle, index, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  handle_ = handle;
  return true;
}

void WinmmMidi::send(std::uint32_t word) {
  Locked locked;
  if (handle_) midiOutShortMsg(handle_, word);
}

void WinmmMidi::close() {
  Locked locked;
  silence_and_close();
}

void WinmmMidi::silence_and_close() {
  Locked locked;  // the lock is recursive: callers may already hold it
  if (!handle_) return;
  midiOutReset(handle_);
  midiOutClose(handle_);
  handle_ = nullptr;
}

PerformanceClock::PerformanceClock() : deadlines_(kCatchUpUs) {
  LARGE_INTEGER value;
  if (QueryPerformanceFrequency(&value) && value.QuadPart > 0) frequency_ = value.QuadPart;
  QueryPerformanceCounter(&value);
  start_ = value.QuadPart;
}

std::uint64_t PerformanceClock::now_us() {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  std::int64_t ticks = value.QuadPart - start_;
  if (ticks <= 0) return 0;
  auto t = static_cast<std::uint64_t>(ticks);
  auto f = static_cast<std::uint64_t>(frequency_);
  // Split so that the product cannot overflow however long the program runs.
  return t / f * kMicrosecondsPerSecond + t % f * kMicrosecondsPerSecond / f;
}

std::uint64_t PerformanceClock::now_ms() { return now_us() / 1000; }

void PerformanceClock::wait_ms(std::uint32_t ms) {
  const std::uint64_t deadline = deadlines_.next(now_us(), static_cast<std::uint64_t>(ms) * 1000);
  for (;;) {
    std::uint64_t now = now_us();
    if (now >= deadline) break;
    // At most a second at a time: a length near 2^32 ms must never reach
    // Sleep as INFINITE.
    std::uint64_t remaining_ms = std::min<std::uint64_t>((deadline - now + 999) / 1000, 1000);
    Sleep(static_cast<DWORD>(remaining_ms));
  }
}

void WaveSounds::play(std::string_view system_path) {
  std::string path(system_path);
  sndPlaySoundA(path.c_str(), 0);
}

MciMedia::~MciMedia() { close(); }

unsigned MciMedia::open(MediaType type, std::string_view system_path) {
  close();
  std::string path(system_path);
  MCI_OPEN_PARMSA params{};
  params.lpstrDeviceType = type == MediaType::sequencer ? "sequencer" : "waveaudio";
  params.lpstrElementName = path.c_str();
  MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                   reinterpret_cast<DWORD_PTR>(&params));
  if (error == 0) device_ = params.wDeviceID;
  return error;
}

unsigned MciMedia::port(int& port) {
  MCI_STATUS_PARMS params{};
  params.dwItem = MCI_SEQ_STATUS_PORT;
  MCIERROR error =
      mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&params));
  port = error == 0 ? static_cast<int>(params.dwReturn) : 0;
  return error;
}

unsigned MciMedia::play() {
  MCI_PLAY_PARMS params{};
  return mciSendCommandA(device_, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&params));
}

unsigned MciMedia::pause() {
  MCI_GENERIC_PARMS params{};
  return mciSendCommandA(device_, MCI_PAUSE, 0, reinterpret_cast<DWORD_PTR>(&params));
}

unsigned MciMedia::resume() {
  MCI_GENERIC_PARMS params{};
  MCIERROR error = mciSendCommandA(device_, MCI_RESUME, 0, reinterpret_cast<DWORD_PTR>(&params));
  if (error == MCIERR_UNSUPPORTED_FUNCTION) error = play();
  return error;
}

unsigned MciMedia::seek_start() {
  MCI_SEEK_PARMS params{};
  return mciSendCommandA(device_, MCI_SEEK, MCI_SEEK_TO_START,
                         reinterpret_cast<DWORD_PTR>(&params));
}

unsigned MciMedia::close() {
  if (device_ == 0) return 0;
  MCI_GENERIC_PARMS params{};
  MCIERROR error = mciSendCommandA(device_, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&params));
  device_ = 0;
  return error;
}

std::optional<std::string> Win32Clipboard::read_text() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
      // The text ends at its zero byte, and never past the memory block.
      const SIZE_T size = GlobalSize(data);
      SIZE_T length = 0;
      while (length < size && length < kClipboardReadChars && locked[length] != '\0') ++length;
      text.assign(locked, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool Win32Clipboard::open_as_owner(bool empty) {
  if (!OpenClipboard(GetClipboardOwner())) return false;
  if (empty) EmptyClipboard();
  CloseClipboard();
  return true;
}

namespace {

// A movable memory block holding the bytes of `data` (its terminator
// included), as the clipboard takes them; null when there is no memory.
HGLOBAL global_copy(const void* data, std::size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return nullptr;
  if (void* locked = GlobalLock(memory)) {
    std::memcpy(locked, data, bytes);
    GlobalUnlock(memory);
  }
  return memory;
}

}  // namespace

bool Win32Clipboard::write_text(std::string_view text) {
  // CF_TEXT lines end in carriage return and line feed.
  std::string crlf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += text[i];
  }
  // The same text in Unicode too, as programs that read only that expect.
  std::wstring wide(crlf.size() + 1, L'\0');
  const int made = MultiByteToWideChar(CP_ACP, 0, crlf.c_str(), static_cast<int>(crlf.size() + 1),
                                       wide.data(), static_cast<int>(wide.size()));
  // A window of its own owns the text: with none, Windows may refuse it.
  HWND owner =
      CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  bool done = false;
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    // Once set, the memory is the system's; until then it is ours to free.
    HGLOBAL ansi = global_copy(crlf.c_str(), crlf.size() + 1);
    done = ansi && SetClipboardData(CF_TEXT, ansi) != nullptr;
    if (ansi && !done) GlobalFree(ansi);
    HGLOBAL unicode = made > 0 ? global_copy(wide.data(), made * sizeof(wchar_t)) : nullptr;
    if (unicode && !SetClipboardData(CF_UNICODETEXT, unicode)) GlobalFree(unicode);
    CloseClipboard();
  }
  if (owner) DestroyWindow(owner);
  return done;
}

bool WinExecPrograms::start(std::string_view command_line) {
  // WinExec reports success with a value above 31.
  constexpr UINT kFirstSuccess = 32;
  std::string line(command_line);
  if (WinExec(line.c_str(), SW_SHOWMAXIMIZED) >= kFirstSuccess) return true;
  const std::size_t slash = line.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 >= line.size()) return false;
  return WinExec(line.substr(slash + 1).c_str(), SW_SHOWMAXIMIZED) >= kFirstSuccess;
}

std::unique_ptr<Dialogs> Win32Backends::make_dialogs() {
  return std::make_unique<MessageBoxDialogs>();
}

std::unique_ptr<Clock> Win32Backends::make_clock() { return std::make_unique<PerformanceClock>(); }

std::unique_ptr<MidiDevices> Win32Backends::make_midi(Clock&) {
  return std::make_unique<WinmmMidi>();
}

std::unique_ptr<SoundCues> Win32Backends::make_sounds() { return std::make_unique<WaveSounds>(); }

std::unique_ptr<Media> Win32Backends::make_media(Clock&) { return std::make_unique<MciMedia>(); }

std::unique_ptr<Clipboard> Win32Backends::make_clipboard() {
  return std::make_unique<Win32Clipboard>();
}

std::unique_ptr<Programs> Win32Backends::make_programs() {
  return std::make_unique<WinExecPrograms>();
}

std::string Win32Backends::native_path(std::string_view system_path) {
  return std::string(system_path);
}

TimerResolution::TimerResolution() {
  Locked locked;
  raised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  registry().timer_raised = raised_;
}

TimerResolution::~TimerResolution() {
  Locked locked;
  if (raised_ && registry().timer_raised) timeEndPeriod(1);
  registry().timer_raised = false;
}

void install_console_handler() {
  registry();  // made before any event can arrive
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

}  // namespace velk0::platform::win32
