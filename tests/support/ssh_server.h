#pragma once

#include "support/child_process.h"

#include <string>

// A private OpenSSH server on a free port of 127.0.0.1 that lets in one key
// made for it, so a test can reach "another machine" by ssh without
// touching the system's own server, keys or known hosts.
namespace testing_support {

class sshServer {
 public:
  // Makes the host and user keys, starts sshd and waits (up to 10 s) until
  // it listens. Whoever logs in sees `ownFolder` empty and separate from
  // ours (a tmpfs in a mount namespace of its own), as another machine's
  // /tmp would be. False, with the reason in failure() (naming the Debian
  // package when a program is missing), otherwise. Needs root; costs about
  // a second.
  bool start(const std::string& ownFolder);

  // A whole ssh command that logs in as this user: GNU parallel takes it
  // as one --sshlogin.
  std::string login() const;

  // What sshd wrote: who logged in, and why a login failed.
  std::string log() const { return daemon_.log(); }
  const std::string& failure() const { return failure_; }

 private:
  childProcess daemon_;  // ended with the server
  std::string folder_;
  int port_ = 0;
  std::string failure_;
};

}  // namespace testing_support
