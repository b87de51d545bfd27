#include "app/program.h"
#include "platform/entry.h"

int main(int argc, char** argv) {
  return velk0::platform::run_entry(argc, argv, velk0::run_program);
}
