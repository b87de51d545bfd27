// A JACK server (jackd, or PipeWire's JACK) under the live output: a client
// of the program's own, "velk0", with two audio output ports ("gauche" and
// "droite") connected to the server's playback ports, pulled at the server's
// rate and period. The process callback renders the sound itself, in the
// server's pace, with nothing kept ready ahead of it (see SoundSource).
//
// A server that stops, or turns the client out, calls it off: the callback
// never runs again, and lost() has the line that says so. So does a server
// that changes its rate (PipeWire's may), after which the ports stay silent.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/posix/audio/audio_device.h"

namespace velk0::platform::posix {

class JackDevice final : public AudioDevice {
 public:
  // Joins the server that runs under JACK's default name (or the one
  // JACK_DEFAULT_SERVER names); none is started. Null when none runs. Prints
  // nothing, now or later: the library's own messages are silenced.
  static std::unique_ptr<JackDevice> join();
  ~JackDevice() override;
  JackDevice(const JackDevice&) = delete;
  JackDevice& operator=(const JackDevice&) = delete;

  unsigned rate() const override { return rate_; }
  unsigned period() const override { return period_.load(std::memory_order_relaxed); }
  // Registers the ports: silent until start().
  bool open(SoundSource& source) override;
  // Joins the server's cycles and connects the ports to its playback ports:
  // the left one to the first, the right one to the second (both to the one
  // of a server that has a single one).
  void start() override;
  // The server's process thread renders: at the server's pace, and in real
  // time when the server runs so.
  bool renders_in_callback() const override { return true; }
  std::string_view lost() const override;

 private:
  // The callback's hold on the source.
  enum Hold : int { kSilent, kPlaying, kPulling };

  JackDevice() = default;
  static int process(jack_nframes_t frames, void* self);
  static int period_changed(jack_nframes_t frames, void* self);
  static int rate_changed(jack_nframes_t rate, void* self);
  static void shut_down(jack_status_t code, const char* reason, void* self);
  void connect_to_playback();
  // From here on the callback leaves the source alone.
  void let_go_of_source();
  // Whether the server still runs its cycles: one begins within a while.
  bool cycling() const;

  jack_client_t* client_ = nullptr;
  std::array<jack_port_t*, 2> ports_{};
  SoundSource* source_ = nullptr;
  unsigned rate_ = 0;
  std::atomic<unsigned> period_{0};
  std::atomic<int> hold_{kSilent};
  std::atomic<bool> gone_{false};
  std::atomic<bool> other_rate_{false};   // the server runs at another rate than rate_
  std::atomic<std::uint64_t> cycles_{0};  // process cycles run so far
  bool active_ = false;
};

}  // namespace velk0::platform::posix
