// One short MIDI message: a status byte and up to two data bytes, as the
// program sends them to an output device.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velk0::platform {

// The kinds of channel message, as the high half of their status byte;
// `system` for a status byte from 0xF0 on.
enum class MidiKind : std::uint8_t {
  note_off = 0x80,
  note_on = 0x90,
  key_pressure = 0xA0,
  control_change = 0xB0,
  program_change = 0xC0,
  channel_pressure = 0xD0,
  pitch_bend = 0xE0,
  system = 0xF0,
};

// The controllers the program sends or follows itself.
constexpr unsigned kSustainPedal = 64, kSostenutoPedal = 66;
constexpr unsigned kAllSoundOff = 120, kResetControllers = 121, kAllNotesOff = 123;
// A pedal controller reads as down from this value on.
constexpr unsigned kPedalDown = 64;

struct MidiMessage {
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;

  // A channel message of `kind` on `channel` (its low four bits); the data
  // bytes are kept as given, so that a byte of 128 or more can be caught.
  static constexpr MidiMessage make(MidiKind kind, unsigned channel, unsigned data1 = 0,
                                    unsigned data2 = 0) {
    return {static_cast<std::uint8_t>(static_cast<unsigned>(kind) | (channel & 0x0F)),
            static_cast<std::uint8_t>(data1), static_cast<std::uint8_t>(data2)};
  }

  constexpr MidiKind kind() const { return static_cast<MidiKind>(status & 0xF0); }
  constexpr unsigned channel() const { return status & 0x0Fu; }
  // A note-on with velocity 0 is a note-off.
  constexpr bool is_note_on() const { return kind() == MidiKind::note_on && data2 != 0; }
  constexpr bool is_note_off() const {
    return kind() == MidiKind::note_off || (kind() == MidiKind::note_on && data2 == 0);
  }
  // Bytes the message takes on the wire: 3, 2 for a program change or a
  // channel pressure, 0 when the status byte starts no channel message.
  constexpr std::size_t length() const {
    if (status < 0x80 || kind() == MidiKind::system) return 0;
    return kind() == MidiKind::program_change || kind() == MidiKind::channel_pressure ? 2 : 3;
  }
  // The message as a receiver reads it: data bytes of seven bits, since a
  // byte with its top bit set would start another message.
  constexpr MidiMessage seven_bit() const {
    return {status, static_cast<std::uint8_t>(data1 & 0x7F),
            static_cast<std::uint8_t>(data2 & 0x7F)};
  }

  // The packed form the Windows multimedia calls take: status in the low
  // byte, then the data bytes.
  constexpr std::uint32_t word() const {
    return status | static_cast<std::uint32_t>(data1) << 8 |
           static_cast<std::uint32_t>(data2) << 16;
  }
  static constexpr MidiMessage from_word(std::uint32_t word) {
    return {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(word >> 16)};
  }

  friend constexpr bool operator==(const MidiMessage&, const MidiMessage&) = default;
};

}  // namespace velk0::platform
