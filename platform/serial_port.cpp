#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <linux/serial.h>

namespace plat {

namespace {

struct SpeedCode {
  int speed;
  speed_t code;
};
constexpr SpeedCode kSpeeds[] = {
    {50, B50},       {75, B75},       {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},     {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool SpeedOf(int speed, speed_t& code) {
  for (const SpeedCode& s : kSpeeds)
    if (s.speed == speed) {
      code = s.code;
      return true;
    }
  return false;
}

}  // namespace

int SerialOpen(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (!::isatty(fd)) {
    ::close(fd);
    return -1;
  }
  ::ioctl(fd, TIOCEXCL);  // not shared: a second open by another process is refused
  return fd;
}

void SerialClose(int fd) {
  if (fd < 0) return;
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

bool SerialApplySettings(termios& t, const SerialSettings& s) {
  speed_t code;
  if (!SpeedOf(s.speed, code)) return false;
  tcflag_t size;
  switch (s.data_bits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return false;
  }
  if (s.stop_bits != 1 && s.stop_bits != 2) return false;
  tcflag_t parity;
  switch (s.parity) {
    case 'N': parity = 0; break;
    case 'E': parity = PARENB; break;
    case 'O': parity = PARENB | PARODD; break;
    case 'M': parity = PARENB | PARODD | CMSPAR; break;
    case 'S': parity = PARENB | CMSPAR; break;
    default: return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= size | parity | CREAD | CLOCAL;
  if (s.stop_bits == 2) t.c_cflag |= CSTOPB;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, code);
  ::cfsetospeed(&t, code);
  return true;
}

bool SerialConfigure(int fd, const SerialSettings& s) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  if (!SerialApplySettings(t, s)) return false;
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
  int bits = 0;
  if (::ioctl(fd, TIOCMGET, &bits) == 0) {  // pseudo-terminals have no modem lines
    bits |= TIOCM_DTR;
    bits &= ~TIOCM_RTS;
    ::ioctl(fd, TIOCMSET, &bits);
  }
  ::tcflush(fd, TCIOFLUSH);
  return true;
}

SerialSettings SerialSettingsOf(const termios& t) {
  SerialSettings out;
  speed_t code = ::cfgetospeed(&t);
  out.speed = 0;
  for (const SpeedCode& s : kSpeeds)
    if (s.code == code) out.speed = s.speed;
  switch (t.c_cflag & CSIZE) {
    case CS5: out.data_bits = 5; break;
    case CS6: out.data_bits = 6; break;
    case CS7: out.data_bits = 7; break;
    default: out.data_bits = 8; break;
  }
  out.stop_bits = (t.c_cflag & CSTOPB) ? 2 : 1;
  if (!(t.c_cflag & PARENB)) out.parity = 'N';
  else if (t.c_cflag & CMSPAR) out.parity = (t.c_cflag & PARODD) ? 'M' : 'S';
  else out.parity = (t.c_cflag & PARODD) ? 'O' : 'E';
  return out;
}

bool SerialReadSettings(int fd, SerialSettings& out) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  out = SerialSettingsOf(t);
  return true;
}

int SerialWaiting(int fd) {
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

long SerialReadNow(int fd, char* buf, size_t n) {
  for (;;) {
    ssize_t r = ::read(fd, buf, n);
    if (r >= 0) return static_cast<long>(r);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

size_t SerialWrite(int fd, const char* bytes, size_t n, int chunk_ms) {
  size_t done = 0;
  while (done < n) {
    ssize_t w = ::write(fd, bytes + done, n - done);
    if (w > 0) {
      done += static_cast<size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    pollfd p{fd, POLLOUT, 0};
    int r = ::poll(&p, 1, chunk_ms);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || !(p.revents & POLLOUT)) break;  // late, or the line failed
  }
  return done;
}

uint32_t SerialErrorCount(int fd) {
  serial_icounter_struct c{};
  if (::ioctl(fd, TIOCGICOUNT, &c) != 0) return 0;
  return static_cast<uint32_t>(c.overrun + c.parity + c.frame + c.brk + c.buf_overrun);
}

}  // namespace plat
