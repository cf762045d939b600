#pragma once
// The serial line to the counter: a tty device opened exclusively in raw mode with the line
// setting given, one-byte reads with a one-second time-out, whole-text writes.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <termios.h>

#include "serial/serial_line.h"

namespace zel {

class TEntreesSorties : public SerialLine {
  public:
    TEntreesSorties();
    ~TEntreesSorties() override; // closes the port

    TEntreesSorties(const TEntreesSorties&) = delete;
    TEntreesSorties& operator=(const TEntreesSorties&) = delete;

    // Opens UART ("/dev/ttyUSB0", or "ttyUSB0" which gets "/dev/" in front) after closing the
    // port in use. Status 0, or errno (ENOENT: no such port; EBUSY: held by another program;
    // EACCES: no permission; EINVAL: a setting the line cannot take). The port stays closed
    // after a failure.
    void OuvrirCom(const std::string& UART, uint32_t BaudRate, uint8_t ByteSize, uint8_t Parity,
                   uint8_t StopBits, int32_t& STATUS);
    // Closes the port if open. A read or write under way on another thread is woken and ends
    // with ErrPortNotOpen before the device is released.
    void FermerCom(int32_t& STATUS);
    bool ComOuverte() const override { return HandleUart.load() != -1; }

    // Writes from several threads never interleave.
    void SEND(const std::string& PDU, int32_t& STATUS) override;
    void RECEIVE(int32_t L, int32_t CAR_FIN, int32_t TIMEOUT, std::string& PDU,
                 int32_t& STATUS) override;
    int32_t LineFault() const override { return FFault.load(); }

    std::atomic<int> HandleUart{-1}; // file descriptor, -1 when closed
    struct termios DCB {};           // the line setting last written to the driver

  private:
    int Acquire(); // the descriptor for one operation, or -1 when closed or closing
    void Release();
    // One byte within ms: 1 read, 0 nothing came, -1 the port is being closed.
    int ReadByte(int fd, int ms, unsigned char& b);

    std::atomic<int32_t> FFault{0}; // errno of a device failure seen by the last reads
    int FWake = -1;                 // eventfd that wakes a read or write when the port is closed
    std::mutex FGuard;
    std::condition_variable FIdle;
    int FUsers = 0;
    bool FClosing = false;
    std::mutex FWrite;
};

} // namespace zel
