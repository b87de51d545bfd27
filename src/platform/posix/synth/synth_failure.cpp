#include "platform/posix/synth/synth_failure.h"

#include <sys/mman.h>

#include "platform/common/file_writes.h"
#include "platform/common/text_encoding.h"

namespace velk0::platform::posix {
namespace {

constexpr std::string_view kSoundFontWayOut =
    "avec VELK0_SOUNDFONT=fichier.sf2, ou installez le paquet timgm6mb-soundfont ou "
    "fluid-soundfont-gm.";

// Enough for what a failing step would still have asked for.
constexpr std::size_t kMemoryProbeBytes = 16u << 20;

}  // namespace

bool memory_left() {
  void* probe =
      mmap(nullptr, kMemoryProbeBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (probe == MAP_FAILED) return false;
  munmap(probe, kMemoryProbeBytes);
  return true;
}

std::string failure_line(SynthFailure failure, std::string_view soundfont,
                         std::string_view wav_path) {
  const std::string font = from_system_name(soundfont);
  std::string line = "velk0 : ";
  switch (failure) {
    case SynthFailure::none:
      return "";
    case SynthFailure::soundfont_missing:
      line.append("banque de sons (SoundFont) introuvable : ").append(font);
      line.append(". Indiquez-en une ").append(kSoundFontWayOut);
      break;
    case SynthFailure::soundfont_unreadable:
      line.append("banque de sons (SoundFont) illisible : ").append(font);
      line.append(". Indiquez-en une autre ").append(kSoundFontWayOut);
      break;
    case SynthFailure::no_audio_output:
      line.append(
          "aucun serveur de son joignable (PulseAudio, PipeWire ou ALSA). Pour \xE9"
          "couter plus tard, enregistrez le son dans un fichier avec VELK0_AUDIO=fichier.wav.");
      break;
    case SynthFailure::no_jack_server:
      line.append(
          "aucun serveur JACK joignable (VELK0_AUDIO=jack). D\xE9marrez-en un, ou laissez "
          "VELK0_AUDIO vide pour jouer sur la sortie son du syst\xE8me.");
      break;
    case SynthFailure::rate_unplayable:
      line.append(
          "le serveur JACK tourne \xE0 une fr\xE9quence que le synth\xE9tiseur ne sait pas produire. "
          "Red\xE9marrez-le \xE0 48 000 Hz, par exemple avec jackd -r 48000.");
      break;
    case SynthFailure::out_of_memory:
      line.append("m\xE9moire insuffisante pour lire la banque de sons (SoundFont) ").append(font);
      line.append(" ; arr\xEAt du programme. Fermez d'autres programmes, ou indiquez-en une plus ");
      line.append("petite avec VELK0_SOUNDFONT=fichier.sf2.");
      break;
    case SynthFailure::wav_unwritable:
      return unwritable_line("velk0", "le fichier audio " + from_system_name(wav_path))
          .append(". Choisissez un chemin o\xF9 \xE9")
          .append("crire avec VELK0_AUDIO=fichier.wav.");
  }
  return line;
}

std::string write_failure_line(std::string_view wav_path, std::string_view cause, bool kept_part) {
  return unwritable_line("velk0", "le fichier audio " + from_system_name(wav_path))
      .append(" : ")
      .append(cause)
      .append(kept_part ? " ; il ne garde que le son d'avant l'\xE9"
                          "chec."
                        : " ; le son n'y est pas enregistr\xE9.");
}

}  // namespace velk0::platform::posix
