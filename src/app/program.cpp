#include "app/program.h"

#include <array>
#include <optional>
#include <string_view>

#include "app/file_arguments.h"
#include "commands/at_command.h"
#include "commands/musical_command.h"
#include "commands/parameter_commands.h"
#include "commands/tablature_command.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "midi/midi_out.h"
#include "tablature/player.h"
#include "tablature/whole_text.h"

namespace velk0 {

namespace {

// The nine usage lines, shown one box each when there is no argument.
constexpr std::array<std::string_view, 9> kUsage = {
    "syntaxe : velk0 arg1 arg2... o\xF9 les arguments sont des commandes ou des tablatures",
    "Les arguments de commandes doivent commencer par le symbole @ # ou $",
    "Les arguments qui ne commencent pas par un @, un # ou par un $ doivent \xEAtre des "
    "tablatures \xE9"
    "crites avec les conventions de l'\xE9"
    "diteur scrivol",
    "Les commandes sont de la forme @nom #sn ou $sn o\xF9 nom est un nom de commande, s est un "
    "symbole et o\xF9 n est un nombre",
    "le symbole s d\xE9"
    "finit la commande et le nombre n d\xE9"
    "finit son param\xE8tre",
    "Exemples : velk0 #t5 \"cdefgab>c\" transpose la tablature indiqu\xE9"
    "e de 5 demi-tons",
    "il faut mettre la tablature entre guillemets, quand elle contient des symboles comme < > . *",
    "velk0 @pi @pt @hg permet de choisir un instrument , un tempo et une gamme",
    "reportez-vous \xE0 la rubrique sonbrix du site tellarin pour une description plus "
    "d\xE9taill\xE9"
    "e des outils sonores",
};

// The state carried from one argument to the next.
struct LoopState {
  std::string argument_text, tablature_text;
  std::string hash_symbol, hash_number;
  std::string dollar_symbol, dollar_number;
  std::string at_name;
  char command_state = '#';
  // The whole text of the tablature file the argument named, if it did.
  std::optional<std::string> file_text;
};

// The rest of an argument from its third character, cut to a symbol's size.
std::string rest_of(const std::string& argument) {
  std::string rest;
  copy_substring(rest, argument, 3, static_cast<int>(argument.size()) - 2);
  rest.resize(std::min(rest.size(), kSymbolCapacity));
  return rest;
}

// The decimal value of the third character alone (#w1, #m3).
int third_digit(const std::string& argument) {
  std::string digit;
  copy_substring(digit, argument, 3, 1);
  return read_integer(digit);
}

void hash_argument(RunState& run, LoopState& st) {
  st.command_state = '#';
  std::string second;
  copy_substring(second, st.argument_text, 2, 1);
  if (second.empty()) {
    st.hash_symbol.clear();
  } else if (second == "d") {
    st.hash_number = rest_of(st.argument_text);
  } else if (second == "w") {
    run.loop.show_level = third_digit(st.argument_text);
  } else if (second == "m") {
    run.loop.device_index = third_digit(st.argument_text);
  } else {
    st.hash_symbol = second;
    st.hash_number = rest_of(st.argument_text);
  }
}

void dollar_argument(LoopState& st) {
  st.command_state = '$';
  copy_substring(st.dollar_symbol, st.argument_text, 2, 1);
  if (std::string_view("ap").find(st.dollar_symbol) != std::string_view::npos)
    st.dollar_number = rest_of(st.argument_text);
  else
    st.dollar_number.clear();
}

void at_argument(RunState& run, LoopState& st) {
  if (st.command_state != '@') check_midi_device(run);
  st.command_state = '@';
  copy_substring(st.at_name, st.argument_text, 2, static_cast<int>(kAtNameLength));
  run_at_command(run, st.at_name);
}

void tablature_argument(RunState& run, LoopState& st) {
  if (st.command_state == '#' && !st.hash_symbol.empty())
    musical_command(run, st.hash_symbol, st.hash_number, st.argument_text, st.tablature_text);
  else if (st.command_state == '$' && !st.dollar_symbol.empty())
    tablature_command(run, st.dollar_symbol, st.dollar_number, st.argument_text);
  else if (st.command_state == '@' && !st.at_name.empty())
    run_at_command(run, st.at_name);
  else
    set_bounded(st.tablature_text, st.argument_text, kTablatureCapacity);
  if (st.command_state != '#') return;
  // A tablature file plays whole; a typed tablature keeps its limits.
  if (st.file_text && st.hash_symbol.empty())
    play_whole_text(run, std::move(*st.file_text));
  else
    play_text(run, st.tablature_text);
}

}  // namespace

int run_program(platform::Platform& platform, const std::vector<std::string>& args) {
  RunState run(platform);
  return run_arguments(run, args);
}

int run_arguments(RunState& run, const std::vector<std::string>& args) {
  if (args.size() <= 1) {
    for (std::string_view line : kUsage) show_info(run.dialogs(), "", line);
    return 0;
  }
  run.loop = {};
  LoopState st;
  reset_settings(run);
  for (std::size_t i = 1; i < args.size(); ++i) {
    set_bounded(st.argument_text, args[i], kArgumentCapacity);
    std::string first;
    copy_substring(first, st.argument_text, 1, 1);
    // The file handling may empty or replace the argument; the first
    // character taken before it still sorts the argument.
    std::string file_text;
    st.file_text.reset();
    if (handle_file_argument(run, st.argument_text, &file_text))
      st.file_text = std::move(file_text);
    if (first == "@")
      at_argument(run, st);
    else if (first == "$")
      dollar_argument(st);
    else if (first == "#")
      hash_argument(run, st);
    else
      tablature_argument(run, st);
  }
  return 0;
}

}  // namespace velk0
