#include "platform/posix/synth/synth_failure.h"

#include <sys/mman.h>

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
  std::string line = "velk0 : ";
  switch (failure) {
    case SynthFailure::none:
      return "";
    case SynthFailure::soundfont_missing:
      line.append("banque de sons (SoundFont) introuvable : ").append(soundfont);
      line.append(". Indiquez-en une ").append(kSoundFontWayOut);
      break;
    case SynthFailure::soundfont_unreadable:
      line.append("banque de sons (SoundFont) illisible : ").append(soundfont);
      line.append(". Indiquez-en une autre ").append(kSoundFontWayOut);
      break;
    case SynthFailure::no_audio_output:
      line.append(
          "aucun serveur de son joignable (PulseAudio, PipeWire ou ALSA). Pour écouter plus "
          "tard, enregistrez le son dans un fichier avec VELK0_AUDIO=fichier.wav.");
      break;
    case SynthFailure::no_jack_server:
      line.append(
          "aucun serveur JACK joignable (VELK0_AUDIO=jack). Démarrez-en un, ou laissez "
          "VELK0_AUDIO vide pour jouer sur la sortie son du système.");
      break;
    case SynthFailure::rate_unplayable:
      line.append(
          "le serveur JACK tourne à une fréquence que le synthétiseur ne sait pas produire. "
          "Redémarrez-le à 48 000 Hz, par exemple avec jackd -r 48000.");
      break;
    case SynthFailure::out_of_memory:
      line.append("mémoire insuffisante pour lire la banque de sons (SoundFont) ")
          .append(soundfont);
      line.append(" ; arrêt du programme. Fermez d'autres programmes, ou indiquez-en une plus ");
      line.append("petite avec VELK0_SOUNDFONT=fichier.sf2.");
      break;
    case SynthFailure::wav_unwritable:
      line.append("impossible d'écrire le fichier audio ").append(wav_path);
      line.append(". Choisissez un chemin où écrire avec VELK0_AUDIO=fichier.wav.");
      break;
  }
  return line + '\n';
}

std::string write_failure_line(std::string_view wav_path, std::string_view cause, bool kept_part) {
  std::string line = "velk0 : impossible d'écrire le fichier audio ";
  line.append(wav_path).append(" : ").append(cause);
  return line + (kept_part ? " ; il ne garde que le son d'avant l'échec.\n"
                           : " ; le son n'y est pas enregistré.\n");
}

}  // namespace velk0::platform::posix
