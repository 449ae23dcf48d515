#include "platform/DisplayProbe.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A display server on this machine that takes one connection, keeps the bytes
// the client sends first, and answers one byte or stays silent.
class FakeServer {
 public:
  FakeServer(bool bAnswer, const std::string& sUnixPath = "") : m_bAnswer(bAnswer) {
    if (sUnixPath.empty()) {
      m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      socklen_t len = sizeof address;
      ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &len);
      m_iPort = ntohs(address.sin_port);
    } else {
      m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, sUnixPath.c_str(), sizeof address.sun_path - 1);
      ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ::listen(m_fd, 4);
    EXPECT_EQ(::pipe(m_stop), 0);
    m_thread = std::thread([this] { Serve(); });
  }
  ~FakeServer() {
    EXPECT_EQ(::write(m_stop[1], "x", 1), 1);
    m_thread.join();
    for (int fd : {m_fd, m_stop[0], m_stop[1]}) ::close(fd);
  }
  // The X display number whose TCP port (6000 + number) this server listens on.
  int DisplayNumber() const { return m_iPort - 6000; }
  // What the first client sent before the server answered (or gave up).
  std::vector<unsigned char> Received() {
    m_thread.join();
    m_thread = std::thread([] {});
    return m_received;
  }

 private:
  bool WaitReadable(int fd) {
    pollfd entries[2] = {{fd, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
    return ::poll(entries, 2, 5000) > 0 && (entries[0].revents & POLLIN) != 0;
  }
  void Serve() {
    if (!WaitReadable(m_fd)) return;
    const int client = ::accept(m_fd, nullptr, nullptr);
    unsigned char buffer[64];
    while (m_received.size() < 12 && WaitReadable(client)) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      m_received.insert(m_received.end(), buffer, buffer + n);
    }
    if (m_bAnswer) {
      ::send(client, "\0", 1, MSG_NOSIGNAL);
    } else {
      // A hung server: the connection stays open, without a word, until the test ends.
      pollfd stop{m_stop[0], POLLIN, 0};
      ::poll(&stop, 1, 10000);
    }
    ::close(client);
  }

  bool m_bAnswer;
  int m_fd = -1;
  int m_iPort = 0;
  int m_stop[2] = {-1, -1};
  std::vector<unsigned char> m_received;
  std::thread m_thread;
};

// Sets the display variables for one case and puts the old ones back after it.
class DisplayEnvironment {
 public:
  DisplayEnvironment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      m_saved.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~DisplayEnvironment() {
    for (size_t i = 0; i < std::size(kNames); ++i) Set(kNames[i], m_saved[i]);
  }
  static void Set(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

 private:
  static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};
  std::vector<std::optional<std::string>> m_saved;
};

constexpr int kTimeoutMs = 300;

struct Outcome {
  bool bFound;
  std::string sProblem;
};

Outcome Probe(const std::optional<std::string>& display, const std::optional<std::string>& wayland,
              const std::optional<std::string>& runtimeDir = std::nullopt) {
  DisplayEnvironment::Set("DISPLAY", display);
  DisplayEnvironment::Set("WAYLAND_DISPLAY", wayland);
  DisplayEnvironment::Set("XDG_RUNTIME_DIR", runtimeDir);
  Outcome outcome{false, ""};
  outcome.bFound = platform::FindDisplay(kTimeoutMs, &outcome.sProblem);
  return outcome;
}

TEST(DisplayProbeTest, AnXServerOnLoopbackIsAskedForItsSetupReply) {
  DisplayEnvironment restore;
  // Byte order 'l', protocol 11.0, no authorization: the setup every X server answers.
  const std::vector<unsigned char> setup{'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const char* host : {"127.0.0.1", "localhost"}) {
    FakeServer server(true);
    const std::string display = std::string(host) + ":" + std::to_string(server.DisplayNumber()) + ".0";
    const Outcome outcome = Probe(display, std::nullopt);
    EXPECT_TRUE(outcome.bFound) << display << ": " << outcome.sProblem;
    EXPECT_EQ(server.Received(), setup) << display;
  }
}

TEST(DisplayProbeTest, NamesWhatIsMissing) {
  DisplayEnvironment restore;
  FakeServer silent(false);
  const std::string silentDisplay = "127.0.0.1:" + std::to_string(silent.DisplayNumber());
  int closedNumber = 0;
  {
    FakeServer gone(true);
    closedNumber = gone.DisplayNumber();
  }
  const std::string closedDisplay = "127.0.0.1:" + std::to_string(closedNumber);
  const struct {
    std::optional<std::string> display, wayland;
    std::string sProblem;
  } cases[] = {
      {std::nullopt, std::nullopt, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
      {"", "", "neither DISPLAY nor WAYLAND_DISPLAY is set"},
      {silentDisplay, std::nullopt, "no X server answers at DISPLAY=" + silentDisplay},
      {closedDisplay, std::nullopt, "no X server answers at DISPLAY=" + closedDisplay},
      {"nonsense", std::nullopt, "DISPLAY=nonsense is not a display name"},
      {":", std::nullopt, "DISPLAY=: is not a display name"},
      {":1x", std::nullopt, "DISPLAY=:1x is not a display name"},
      {":-1", std::nullopt, "DISPLAY=:-1 is not a display name"},
      {":99999", std::nullopt, "DISPLAY=:99999 is not a display name"},
      {"\x1b[2J:0x", std::nullopt, "DISPLAY=?[2J:0x is not a display name"},
      {std::nullopt, "wayland-x", "WAYLAND_DISPLAY is set but XDG_RUNTIME_DIR is not"},
      {"bad", "wayland-x",
       "DISPLAY=bad is not a display name, WAYLAND_DISPLAY is set but XDG_RUNTIME_DIR is not"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Probe(c.display, c.wayland);
    EXPECT_FALSE(outcome.bFound) << c.sProblem;
    EXPECT_EQ(outcome.sProblem, c.sProblem);
  }
}

TEST(DisplayProbeTest, AWaylandSocketOrAnXServerEitherWill) {
  DisplayEnvironment restore;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("kesto-display-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    FakeServer compositor(false, (dir / "wayland-7").string());
    EXPECT_TRUE(Probe(std::nullopt, "wayland-7", dir.string()).bFound);
    EXPECT_TRUE(Probe(std::nullopt, (dir / "wayland-7").string()).bFound) << "an absolute path needs no runtime dir";
    const Outcome missing = Probe(std::nullopt, "wayland-8", dir.string());
    EXPECT_FALSE(missing.bFound);
    EXPECT_EQ(missing.sProblem, "no compositor answers at WAYLAND_DISPLAY=wayland-8");
  }
  FakeServer server(true);
  EXPECT_TRUE(Probe("localhost:" + std::to_string(server.DisplayNumber()), "wayland-8", dir.string()).bFound)
      << "the X server stands in for a missing compositor";
  std::filesystem::remove_all(dir);
}

}  // namespace
