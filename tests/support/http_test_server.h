// A loopback HTTP(S) server for network tests: http_test_server.py, started
// for the life of one object. The server ends when we let go of it, so it
// never outlives the test, even one that crashes.
//
// On Linux the test starts the server itself and holds its standard input.
// A Windows test (under Wine) cannot start python: it asks the broker of
// http_server_broker.py, whose port with_http_broker.sh puts into
// KESTRUNE_HTTP_BROKER, and holds the broker connection instead.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#endif

#include "support/temp_dir.h"

namespace kestrune::test {

// The server's folder: manifests for /update/<name>, and its certificate.
class ServerFolder {
 public:
  explicit ServerFolder(std::string path = "") : path_(std::move(path)) {}
  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class HttpTestServer {
 public:
  // `certificateName`: with tls, the only name the certificate carries
  // (empty: 127.0.0.1 and localhost).
  explicit HttpTestServer(bool tls = false, std::string certificateName = "")
      : tls_(tls), certificateName_(std::move(certificateName)) {
    Start();
  }
  ~HttpTestServer() { Stop(); }
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  // "http://host:port" + pathAndQuery (https for a TLS server).
  std::string Url(const std::string& pathAndQuery, const std::string& host = "127.0.0.1") const {
    return std::string(tls_ ? "https://" : "http://") + host + ":" + std::to_string(port_) +
           pathAndQuery;
  }
  std::string HostPort(const std::string& host = "127.0.0.1") const {
    return host + ":" + std::to_string(port_);
  }
  const ServerFolder& Folder() const { return folder_; }
  std::string CertificateFile() const { return folder_.Path("server.pem"); }

 private:
#ifdef _WIN32
  void Start() {
    const char* broker = std::getenv("KESTRUNE_HTTP_BROKER");
    if (!broker || !*broker) {
      std::fprintf(stderr, "KESTRUNE_HTTP_BROKER is not set: run under with_http_broker.sh\n");
      return;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    started_ = true;
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(broker)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
    std::string kind = tls_ ? "tls" : "plain";
    if (tls_ && !certificateName_.empty()) kind += " " + certificateName_;
    kind += "\n";
    if (::send(socket_, kind.data(), static_cast<int>(kind.size()), 0) <= 0) return;
    std::string answer;
    char buffer[512];
    while (answer.find('\n') == std::string::npos) {
      int n = ::recv(socket_, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      answer.append(buffer, static_cast<size_t>(n));
    }
    size_t tab = answer.find('\t');
    if (tab == std::string::npos) return;
    // The broker names a host folder; Wine shows the host's root as drive Z:.
    folder_ = ServerFolder("Z:" + answer.substr(tab + 1, answer.find('\n') - tab - 1));
    port_ = std::atoi(answer.substr(0, tab).c_str());
  }
  void Stop() {
    if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
    if (started_) WSACleanup();
  }
  SOCKET socket_ = INVALID_SOCKET;
  bool started_ = false;
#else
  void Start() {
    folder_ = ServerFolder(dir_.path());
    std::string script = std::string(KESTRUNE_FIXTURES) + "/../support/http_test_server.py";
    std::string command =
        "exec python3 '" + script + "' --dir '" + dir_.path() + "'" + (tls_ ? " --tls" : "");
    if (tls_ && !certificateName_.empty()) command += " --cert-name '" + certificateName_ + "'";
    pipe_ = ::popen(command.c_str(), "w");
    if (!pipe_) return;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string text = ReadFile(dir_.Path("port"));
      if (!text.empty()) {
        port_ = std::stoi(text);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  void Stop() {
    if (pipe_) ::pclose(pipe_);
  }
  TempDir dir_;
  FILE* pipe_ = nullptr;
#endif

  bool tls_ = false;
  std::string certificateName_;
  ServerFolder folder_;
  int port_ = 0;
};

}  // namespace kestrune::test
