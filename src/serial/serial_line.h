#pragma once
// What the counter session needs of a serial line: send a text, read a reply up to an end
// character. Every operation reports an integer status: 0, one of the codes below, or an
// operating-system error code (errno).
#include <cerrno>
#include <cstdint>
#include <string>

namespace zel {

// The serial line's own statuses.
constexpr int32_t ErrAlreadyOwned = 9991;   // port owned by another process
constexpr int32_t ErrAlreadyInUse = 9992;   // instance already in use
constexpr int32_t ErrWrongParameter = 9993; // wrong parameter at call
constexpr int32_t ErrPortNotOpen = 9994;    // SEND or RECEIVE on a closed port
constexpr int32_t ErrNoDeviceAnswer = 9995;
constexpr int32_t ErrMaxBuffer = 9996;
constexpr int32_t ErrTimeout = 9997; // reception time-out
constexpr int32_t ErrNotRead = 9998;
constexpr int32_t ErrFrame = 9999;
constexpr int32_t ErrOverrun = 10000;
constexpr int32_t ErrRxOver = 10001;
constexpr int32_t ErrRxParity = 10002;
constexpr int32_t ErrTxFull = 10003;
// Operating-system codes we produce ourselves; on Linux they are errno values.
constexpr int32_t ErrParameter = EINVAL;
constexpr int32_t ErrHandle = EBADF;
constexpr int32_t ErrFileNotFound = ENOENT;

// Line settings.
constexpr uint8_t UART_7bits = 7;
constexpr uint8_t UART_8bits = 8;
constexpr uint8_t UART_None = 0;
constexpr uint8_t UART_impaire = 1; // odd
constexpr uint8_t UART_Paire = 2;   // even
constexpr uint8_t UART_1stop = 0;
constexpr uint8_t UART_2stops = 2;
constexpr uint32_t UART_110 = 110;
constexpr uint32_t UART_150 = 150;
constexpr uint32_t UART_300 = 300;
constexpr uint32_t UART_600 = 600;
constexpr uint32_t UART_1200 = 1200;
constexpr uint32_t UART_2400 = 2400;
constexpr uint32_t UART_4800 = 4800;
constexpr uint32_t UART_9600 = 9600;

constexpr int32_t RETOUR_CHARIOT = 13; // ends every reply line
constexpr int32_t LINE_FEED = 10;
constexpr int32_t DataLength = 256;
constexpr int32_t Temps_Attente = 1000; // ms, the longest one read of one byte may wait

class SerialLine {
  public:
    virtual ~SerialLine() = default;
    virtual bool ComOuverte() const = 0;
    // Writes the whole text as it is (no end character added). Empty text: 0, nothing written.
    virtual void SEND(const std::string& PDU, int32_t& STATUS) = 0;
    // Reads at most L bytes, stopping after the byte CAR_FIN (-1: none) or after TIMEOUT
    // seconds of silence (one silent read of Temps_Attente when TIMEOUT is 0). PDU gets the
    // bytes read, as received, also after a time-out (ErrTimeout). Closed port: ErrPortNotOpen
    // and PDU untouched.
    virtual void RECEIVE(int32_t L, int32_t CAR_FIN, int32_t TIMEOUT, std::string& PDU,
                         int32_t& STATUS) = 0;
    // After a RECEIVE that ended in ErrTimeout: the operating-system error code when the device
    // itself failed meanwhile (the other end hung up, the cable was pulled), 0 when the line was
    // merely silent.
    virtual int32_t LineFault() const { return 0; }
};

} // namespace zel
