#include "support/ssh_server.h"

#include "support/command.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace testing_support {

namespace {

// A port nobody listens on now (another process may take it before sshd
// does; start() then fails with sshd's own words).
int freePort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(probe);
  return port;
}

}  // namespace

bool sshServer::start(const std::string& ownFolder) {
  const std::string daemon = "/usr/sbin/sshd";
  if (access(daemon.c_str(), X_OK) != 0 || findOnPath("ssh-keygen").empty()) {
    failure_ = "sshd or ssh-keygen is missing: install the Debian packages openssh-server and "
               "openssh-client";
    return false;
  }
  folder_ = makeTempFolder();
  port_ = freePort();
  const commandResult keys = runCommand(
      "cd " + shellQuoted(folder_) + " && ssh-keygen -q -t ed25519 -N '' -f host_key && "
      "ssh-keygen -q -t ed25519 -N '' -f user_key && cp user_key.pub authorized_keys 2>&1");
  if (folder_.empty() || port_ == 0 || keys.status != 0) {
    failure_ = "no folder, port or keys for sshd: " + keys.output;
    return false;
  }
  // sshd refuses to start without its privilege separation folder, which
  // only a running system service would have made.
  mkdir("/run/sshd", 0755);
  std::ofstream config(folder_ + "/sshd_config");
  config << "ListenAddress 127.0.0.1:" << port_ << "\n"
         << "HostKey " << folder_ << "/host_key\n"
         << "AuthorizedKeysFile " << folder_ << "/authorized_keys\n"
         << "PidFile none\nUsePAM no\nStrictModes no\nPasswordAuthentication no\n"
         << "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n";
  config.close();
  const std::string serve = "mount --make-rprivate / && mount -t tmpfs amber-remote " +
                            shellQuoted(ownFolder) + " && exec " + daemon + " -D -e -f " +
                            shellQuoted(folder_ + "/sshd_config");
  if (!daemon_.start({"/usr/bin/unshare", "--mount", "/bin/sh", "-c", serve}, folder_, {},
                     folder_ + "/sshd.log") ||
      !daemon_.waitForLog("Server listening", std::chrono::seconds(10))) {
    failure_ = "sshd did not start: " + daemon_.log();
    return false;
  }
  return true;
}

std::string sshServer::login() const {
  const passwd* user = getpwuid(getuid());
  return "ssh -p " + std::to_string(port_) + " -i " + folder_ +
         "/user_key -o BatchMode=yes -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null"
         " -o LogLevel=error " + std::string(user != nullptr ? user->pw_name : "root") +
         "@127.0.0.1";
}

}  // namespace testing_support
