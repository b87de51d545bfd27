#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/doubles/trace.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/terminal/terminal_dialogs.h"

namespace velk0::platform::posix {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kButtons = "oui=saisie non=suivant annuler=quitter";
constexpr const char* kPrompt = "o = oui, n = non, a = annuler : ";

// Standard input that is a pipe holding `input`, then its end.
class PipedInput {
 public:
  explicit PipedInput(const std::string& input) {
    EXPECT_EQ(pipe(fds_), 0);
    EXPECT_EQ(write(fds_[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(fds_[1]);
  }
  ~PipedInput() { close(fds_[0]); }
  int fd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

struct PipedCase {
  std::string input;
  std::vector<int> answers;  // of successive choice boxes
};

// Names the case by its input in test listings.
void PrintTo(const PipedCase& c, std::ostream* out) {
  *out << '"';
  for (unsigned char ch : c.input) {
    if (ch < 0x20)
      *out << "\\x" << std::hex << int{ch} << std::dec;
    else
      *out << ch;
  }
  *out << '"';
}

class PipedAnswers : public ::testing::TestWithParam<PipedCase> {};

TEST_P(PipedAnswers, EachBoxTakesTheNextAnswerAndTheEndCancels) {
  PipedInput input(GetParam().input);
  std::ostringstream out;
  TerminalDialogs dialogs(input.fd(), out);
  for (int expected : GetParam().answers)
    EXPECT_EQ(dialogs.show(BoxStyle::choice, kButtons, "suite"), expected) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Letters, PipedAnswers,
    ::testing::Values(PipedCase{"o", {kAnswerYes, kAnswerCancel}}, PipedCase{"y", {kAnswerYes}},
                      PipedCase{"N", {kAnswerNo}}, PipedCase{"a", {kAnswerCancel}},
                      PipedCase{"\x1b", {kAnswerCancel}},
                      PipedCase{"", {kAnswerCancel, kAnswerCancel}},
                      PipedCase{" \n,\t o", {kAnswerYes}},
                      PipedCase{"o\nn\na\n", {kAnswerYes, kAnswerNo, kAnswerCancel, kAnswerCancel}},
                      PipedCase{"x", {kAnswerCancel}}));

TEST(TerminalDialogs, PrintsTheBoxAsLinesAndTheAnswerAfterThePrompt) {
  PipedInput input("n");
  std::ostringstream out;
  TerminalDialogs dialogs(input.fd(), out);
  // The program's own bytes: Windows-1252 é, and the code page 850 è of chord names.
  EXPECT_EQ(dialogs.show(BoxStyle::choice, kButtons, "Gamme de r\xE9 majeur"), kAnswerNo);
  EXPECT_EQ(dialogs.show(BoxStyle::info, "", "septi\x8Ame"), kAnswerOk);
  EXPECT_EQ(out.str(),
            "Gamme de ré majeur\n" + std::string(kButtons) + "\n" + kPrompt + "non\nseptième\n");
}

TEST(TerminalDialogs, AClosedInputAnswersCancel) {
  std::ostringstream out;
  TerminalDialogs dialogs(-1, out);
  EXPECT_EQ(dialogs.show(BoxStyle::choice, kButtons, "suite"), kAnswerCancel);
}

// A pseudo-terminal: the dialogs read the slave side, the test types on the
// master side once the box waits for its key.
class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(tcgetattr(slave_, &before_), 0);
    ASSERT_TRUE(before_.c_lflag & ICANON);
  }
  void TearDown() override {
    if (typist_.joinable()) typist_.join();
    termios after{};
    ASSERT_EQ(tcgetattr(slave_, &after), 0);
    EXPECT_EQ(after.c_lflag, before_.c_lflag) << "terminal left in another mode";
    close(master_);
    close(slave_);
  }
  // Types each chunk after a pause, as a person would.
  void type(std::vector<std::string> chunks) {
    int fd = master_;
    typist_ = std::thread([fd, chunks] {
      for (const std::string& chunk : chunks) {
        std::this_thread::sleep_for(milliseconds(80));
        ssize_t ignored = write(fd, chunk.data(), chunk.size());
        (void)ignored;
      }
    });
  }
  int ask(std::ostringstream& out) {
    TerminalDialogs dialogs(slave_, out);
    return dialogs.show(BoxStyle::choice, kButtons, "suite");
  }

  int master_ = -1, slave_ = -1;
  termios before_{};
  std::thread typist_;
};

TEST_F(TerminalTest, KeysAnswerWithoutEnter) {
  struct Case {
    std::vector<std::string> typed;
    int answer;
    int prompts;  // a key that answers nothing asks again
  };
  const Case cases[] = {
      {{"n"}, kAnswerNo, 1},
      {{"q", "o"}, kAnswerYes, 2},
      {{"\x1b"}, kAnswerCancel, 1},           // Escape alone
      {{"\x1b[A", "n"}, kAnswerNo, 1},        // an arrow key is not Escape
      {{"\x04"}, kAnswerCancel, 1},           // Ctrl-D: the end of the input
      {{"\xC3\xA9", "a"}, kAnswerCancel, 2},  // é, one key of two bytes
  };
  for (const Case& c : cases) {
    type(c.typed);
    std::ostringstream out;
    EXPECT_EQ(ask(out), c.answer) << c.typed[0];
    typist_.join();
    std::string expected = "suite\n" + std::string(kButtons) + "\n" + kPrompt;
    for (int i = 1; i < c.prompts; ++i) expected += "\n" + std::string(kPrompt);
    expected += c.answer == kAnswerYes ? "oui\n" : c.answer == kAnswerNo ? "non\n" : "annuler\n";
    EXPECT_EQ(out.str(), expected) << c.typed[0];
  }
}

// Each signal that asks the program to stop leaves the box at once, restores
// the terminal, and the box still reaches the trace, unanswered.
TEST_F(TerminalTest, ASignalLeavesTheBoxRestoresTheTerminalAndTracesTheBox) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal, SIG_DFL);
  install_interrupt_handlers();
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    clear_interrupt();
    pthread_t self = pthread_self();
    typist_ = std::thread([self, signal] {
      sigset_t all;
      sigfillset(&all);
      pthread_sigmask(SIG_BLOCK, &all, nullptr);
      std::this_thread::sleep_for(milliseconds(80));
      pthread_kill(self, signal);
    });
    std::ostringstream out, trace_out;
    VirtualClock clock;
    Trace trace(trace_out, clock);
    TerminalDialogs terminal(slave_, out);
    TracedDialogs dialogs(terminal, trace);
    EXPECT_THROW(dialogs.show(BoxStyle::choice, kButtons, "suite"), Interrupted) << signal;
    typist_.join();
    EXPECT_EQ(interrupt_signal(), signal);
    EXPECT_EQ(out.str(), "suite\n" + std::string(kButtons) + "\n" + kPrompt + "\n");
    EXPECT_EQ(trace_out.str(), "{\"t\":0,\"ev\":\"box\",\"style\":\"choice\",\"text\":\"" +
                                   std::string(kButtons) +
                                   "\",\"caption\":\"suite\",\"answer\":0}\n");
  }
  clear_interrupt();
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal, SIG_DFL);
}

}  // namespace
}  // namespace velk0::platform::posix
