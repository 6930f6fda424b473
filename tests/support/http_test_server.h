// A loopback HTTP(S) server for network tests: http_test_server.py, started
// for the life of one object. The server ends when we close its standard
// input, so it never outlives the test, even one that crashes.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace kestrune::test {

class HttpTestServer {
 public:
  explicit HttpTestServer(bool tls = false) : tls_(tls) {
    std::string script = std::string(KESTRUNE_FIXTURES) + "/../support/http_test_server.py";
    std::string command =
        "exec python3 '" + script + "' --dir '" + dir_.path() + "'" + (tls ? " --tls" : "");
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
  ~HttpTestServer() {
    if (pipe_) ::pclose(pipe_);
  }
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
  // The server's folder: manifests for /update/<name>, and its certificate.
  const TempDir& Folder() const { return dir_; }
  std::string CertificateFile() const { return dir_.Path("server.pem"); }

 private:
  TempDir dir_;
  bool tls_ = false;
  FILE* pipe_ = nullptr;
  int port_ = 0;
};

}  // namespace kestrune::test
