#include "platform/posix/media/media.h"

#include "platform/posix/file_kind.h"
#include "platform/posix/media/midi_file_player.h"
#include "platform/posix/media/wave_device.h"
#include "platform/posix/midi/midi_devices.h"

namespace velk0::platform::posix {

PosixMedia::PosixMedia(PosixMidi& midi, Clock& clock, AudioOutput output, PathMapper native_path,
                       CueRender mix)
    : midi_(midi),
      clock_(clock),
      output_(output),
      native_path_(std::move(native_path)),
      mix_(std::move(mix)) {}

PosixMedia::~PosixMedia() { close(); }

unsigned PosixMedia::open(MediaType type, std::string_view system_path) {
  close();
  const std::string path = native_path_(system_path);
  // Only a regular file is opened: a FIFO would never let a read return.
  const FileKind kind = file_kind(path);
  if (kind != FileKind::regular)
    return kind == FileKind::missing ? media_error::kFileNotFound : media_error::kInvalidFile;
  if (type == MediaType::waveaudio)
    return WaveDevice::open(path, output_ != AudioOutput::system, device_, mix_);
  std::vector<char> bytes;
  if (unsigned error = MidiFilePlayer::load(path, bytes)) return error;
  device_ = std::make_unique<MidiFilePlayer>(std::move(bytes), midi_.piece_port(), clock_);
  return 0;
}

unsigned PosixMedia::port(int& port) {
  return device_ ? device_->port(port) : media_error::kNotReady;
}

unsigned PosixMedia::play() { return device_ ? device_->play() : media_error::kNotReady; }
unsigned PosixMedia::pause() { return device_ ? device_->pause() : media_error::kNotReady; }
unsigned PosixMedia::resume() { return device_ ? device_->resume() : media_error::kNotReady; }
unsigned PosixMedia::seek_start() {
  return device_ ? device_->seek_start() : media_error::kNotReady;
}

unsigned PosixMedia::close() {
  device_.reset();
  return 0;
}

}  // namespace velk0::platform::posix
