#include "platform/win32/mci_media.h"

#include <string>

namespace velk0::platform::win32 {

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

}  // namespace velk0::platform::win32
