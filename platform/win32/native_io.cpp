// Files, the registry and serial lines on the Win32 API.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include "platform/win32/native.h"
#include "platform/win32/native_text.h"

namespace win32native {

// ---- Files ---------------------------------------------------------------------------------

namespace {
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EWOULDBLOCK;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    default:
      return EIO;
  }
}
}  // namespace

std::FILE* OpenFileStream(const std::string& utf8Path, const OpenMode& mode, int* error) {
  DWORD access = 0;
  if (mode.read) access |= GENERIC_READ;
  if (mode.write) access |= GENERIC_WRITE;
  // Exclusive: others may neither read nor write; deleting stays allowed so that this
  // process can replace the file by a finished copy while it holds it.
  const DWORD share = mode.exclusive ? FILE_SHARE_DELETE : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const DWORD disposition = mode.createNew ? CREATE_NEW : mode.create ? OPEN_ALWAYS : OPEN_EXISTING;
  const DWORD attributes = mode.hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
  HANDLE h = CreateFileW(Wide(utf8Path).c_str(), access, share, nullptr, disposition, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    // A folder in place of the file.
    *error = (e == ERROR_ACCESS_DENIED && (GetFileAttributesW(Wide(utf8Path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
              GetFileAttributesW(Wide(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES)
                 ? EISDIR
                 : ErrnoOf(e);
    return nullptr;
  }
  // Truncation comes after the handle is held, so a file another program holds stays intact.
  if (mode.truncate && !SetEndOfFile(h)) {
    *error = ErrnoOf(GetLastError());
    CloseHandle(h);
    return nullptr;
  }
  const int osFlags = _O_BINARY | (mode.read && mode.write ? _O_RDWR : mode.write ? _O_WRONLY : _O_RDONLY);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), osFlags);
  if (fd < 0) {
    *error = EMFILE;
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, mode.read && mode.write ? "r+b" : mode.write ? "wb" : "rb");
  if (!stream) {
    *error = errno ? errno : EMFILE;
    _close(fd);
    return nullptr;
  }
  return stream;
}

int ReplaceFileWith(const std::string& source, const std::string& target) {
  const std::wstring from = Wide(source), to = Wide(target);
  // ReplaceFile keeps the replaced file's access lists and, on Windows itself, its attributes;
  // the attributes are carried over first, as not every implementation does. A new name is a move.
  constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (const DWORD old = GetFileAttributesW(to.c_str()); old != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesW(from.c_str(), (old & kCarried) ? (old & kCarried) : FILE_ATTRIBUTE_NORMAL);
    if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return 0;
    return ErrnoOf(GetLastError());
  }
  // A new file takes the attributes of one the user created: the source's hidden mark goes.
  const DWORD attributes = GetFileAttributesW(from.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(from.c_str(), attributes & ~FILE_ATTRIBUTE_HIDDEN);
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  return ErrnoOf(GetLastError());
}

int SetStreamLength(std::FILE* stream, std::uint64_t length) {
  if (std::fflush(stream) != 0) return errno ? errno : EIO;
  return _chsize_s(_fileno(stream), static_cast<long long>(length));
}

namespace {
// A handle on the file itself (links followed) that reads nothing and lets others do anything.
HANDLE OpenForQuery(const std::string& utf8Path) {
  return CreateFileW(Wide(utf8Path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}
}  // namespace

std::string FinalFilePath(const std::string& utf8Path) {
  HANDLE h = OpenForQuery(utf8Path);
  if (h == INVALID_HANDLE_VALUE) return utf8Path;
  wchar_t buffer[32768];
  const DWORD n = GetFinalPathNameByHandleW(h, buffer, 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= 32768) return utf8Path;
  std::wstring path(buffer, n);
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) path = L"\\\\" + path.substr(8);
  else if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
  return Utf8(path);
}

unsigned FileLinkCount(const std::string& utf8Path) {
  HANDLE h = OpenForQuery(utf8Path);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok ? static_cast<unsigned>(info.nNumberOfLinks) : 0;
}

// ---- Registry ------------------------------------------------------------------------------

long ReadMachineKey(const std::string& path, std::vector<std::pair<std::string, std::vector<std::uint8_t>>>* values) {
  HKEY key = nullptr;
  LONG r = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_QUERY_VALUE, &key);
  if (r != ERROR_SUCCESS) return r;
  DWORD count = 0, maxName = 0, maxData = 0;
  r = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData, nullptr,
                       nullptr);
  values->clear();
  for (DWORD i = 0; r == ERROR_SUCCESS && i < count; ++i) {
    std::wstring name(maxName + 1, L'\0');
    std::vector<BYTE> data(maxData + 2);
    DWORD nameLength = maxName + 1, dataLength = maxData, type = 0;
    const LONG e = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
    if (e == ERROR_NO_MORE_ITEMS) break;
    if (e != ERROR_SUCCESS) {
      r = e;
      break;
    }
    name.resize(nameLength);
    std::vector<std::uint8_t> bytes;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      // Strings are handed on as the system's narrow form, with their terminator.
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), dataLength / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      const std::string narrow = Utf8(text);
      bytes.assign(narrow.begin(), narrow.end());
      bytes.push_back(0);
    } else {
      bytes.assign(data.begin(), data.begin() + dataLength);
    }
    values->emplace_back(Utf8(name), std::move(bytes));
  }
  RegCloseKey(key);
  return r;
}

// ---- Serial lines --------------------------------------------------------------------------

namespace {

// An overlapped handle with a reader thread whose bytes go to the user-interface thread. No
// WaitCommEvent: it is not dependable on every system. Closing cancels the pending read.
class OverlappedStream : public ByteStream {
 public:
  OverlappedStream(HANDLE handle, StreamCallbacks callbacks)
      : m_handle(handle), m_alive(std::make_shared<bool>(true)), m_callbacks(std::make_shared<StreamCallbacks>(std::move(callbacks))) {
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_writeDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_reader = std::thread([this] { ReadLoop(); });
  }
  ~OverlappedStream() override {
    *m_alive = false;
    SetEvent(m_stop);
    m_reader.join();
    CloseHandle(m_handle);
    CloseHandle(m_stop);
    CloseHandle(m_writeDone);
  }

  bool Write(const std::uint8_t* data, std::size_t n, std::string* error) override {
    OVERLAPPED ov{};
    ov.hEvent = m_writeDone;
    ResetEvent(m_writeDone);
    DWORD written = 0;
    BOOL ok = WriteFile(m_handle, data, static_cast<DWORD>(n), &written, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
      // The port's write time-out bounds the wait.
      ok = GetOverlappedResult(m_handle, &ov, &written, TRUE);
    }
    if (!ok || written != n) {
      *error = ok ? "The port accepted only part of the data." : SystemMessage(GetLastError());
      return false;
    }
    return true;
  }

 private:
  enum class ReadResult { Data, Stopped, Failed };

  // One overlapped read of up to |size| bytes, waiting as long as it takes or until stopped.
  ReadResult ReadOnce(HANDLE done, std::uint8_t* into, DWORD size, DWORD* got) {
    OVERLAPPED ov{};
    ov.hEvent = done;
    ResetEvent(done);
    *got = 0;
    BOOL ok = ReadFile(m_handle, into, size, got, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
      HANDLE waits[2] = {done, m_stop};
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(m_handle, &ov);
        GetOverlappedResult(m_handle, &ov, got, TRUE);
        return ReadResult::Stopped;
      }
      ok = GetOverlappedResult(m_handle, &ov, got, FALSE);
    }
    if (WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) return ReadResult::Stopped;
    return ok ? ReadResult::Data : ReadResult::Failed;
  }

  // Bytes waiting in the port's (or the pipe's) input queue.
  DWORD Waiting() const {
    COMSTAT stat{};
    DWORD errors = 0;
    if (ClearCommError(m_handle, &errors, &stat)) return stat.cbInQue;
    DWORD available = 0;
    return PeekNamedPipe(m_handle, nullptr, 0, nullptr, &available, nullptr) ? available : 0;
  }

  // Waits for the first byte, then takes what else has arrived, so that a long stream reaches
  // the window as it comes rather than when a buffer fills.
  void ReadLoop() {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::uint8_t buffer[1024];
    for (;;) {
      DWORD got = 0;
      ReadResult r = ReadOnce(done, buffer, 1, &got);
      if (r == ReadResult::Data && got == 1) {
        const DWORD more = std::min<DWORD>(Waiting(), sizeof buffer - 1);
        DWORD extra = 0;
        if (more > 0) r = ReadOnce(done, buffer + 1, more, &extra);
        got += extra;
      }
      if (r == ReadResult::Stopped) break;
      if (r == ReadResult::Failed) {
        Post([](StreamCallbacks& c) { if (c.onHangup) c.onHangup(); });
        break;
      }
      if (got == 0) continue;  // a read that ended without data
      std::vector<std::uint8_t> bytes(buffer, buffer + got);
      Post([bytes = std::move(bytes)](StreamCallbacks& c) { c.onData(bytes.data(), bytes.size()); });
    }
    CloseHandle(done);
  }

  template <typename F>
  void Post(F f) {
    // The stream may be gone by the time the task runs: it then does nothing.
    PostToUiThread([alive = m_alive, callbacks = m_callbacks, f = std::move(f)] {
      if (*alive) f(*callbacks);
    });
  }

  HANDLE m_handle;
  HANDLE m_stop = nullptr;
  HANDLE m_writeDone = nullptr;
  std::shared_ptr<bool> m_alive;  // read and written on the user-interface thread only
  std::shared_ptr<StreamCallbacks> m_callbacks;
  std::thread m_reader;
};

}  // namespace

std::string ComOpenError(const std::string& name, unsigned long systemError) {
  switch (systemError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return name + " does not exist on this system.";
    case ERROR_ACCESS_DENIED:  // how the system refuses a port another program holds
    case ERROR_SHARING_VIOLATION:
      return name + " is in use by another program.";
    default:
      return name + " cannot be opened: " + SystemMessage(static_cast<DWORD>(systemError));
  }
}

std::unique_ptr<ByteStream> OpenComPort(int portNumber, const CommSettings& settings, StreamCallbacks callbacks,
                                        std::string* error) {
  const std::string name = "COM" + std::to_string(portNumber);
  const std::wstring path = L"\\\\.\\" + Wide(name);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = ComOpenError(name, GetLastError());
    return nullptr;
  }
  auto fail = [&](const char* step) -> std::unique_ptr<ByteStream> {
    *error = name + " cannot be set up (" + step + "): " + SystemMessage(GetLastError());
    CloseHandle(h);
    return nullptr;
  };
  if (!SetupComm(h, 1024, 1024)) return fail("buffers");
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) return fail("state");
  dcb.BaudRate = static_cast<DWORD>(settings.baud);
  dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
  switch (settings.parity) {
    case 'e': dcb.Parity = EVENPARITY; break;
    case 'o': dcb.Parity = ODDPARITY; break;
    case 'm': dcb.Parity = MARKPARITY; break;
    case 's': dcb.Parity = SPACEPARITY; break;
    default: dcb.Parity = NOPARITY; break;
  }
  dcb.fParity = dcb.Parity != NOPARITY;
  dcb.StopBits = settings.stopBits == 2 ? (settings.dataBits == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (!SetCommState(h, &dcb)) return fail("line settings");
  // A read waits for its bytes with no total time-out (the reader asks for one byte, then for
  // what is queued); a write gives up after 2 s. The form with a total read time-out and
  // MAXDWORD intervals, meant to return at once, never completes an overlapped read under
  // some compatibility layers.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 2;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutConstant = 2000;
  if (!SetCommTimeouts(h, &timeouts)) return fail("time-outs");
  PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return std::make_unique<OverlappedStream>(h, std::move(callbacks));
}

std::unique_ptr<ByteStream> OpenLoopback(StreamCallbacks callbacks, std::unique_ptr<ByteStream>* peer,
                                         std::string* error) {
  static std::atomic<unsigned> serial{0};
  const std::wstring name = L"\\\\.\\pipe\\korvex12-loopback-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++serial);
  HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  if (server == INVALID_HANDLE_VALUE) {
    *error = SystemMessage(GetLastError());
    return nullptr;
  }
  HANDLE client = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                              nullptr);
  if (client == INVALID_HANDLE_VALUE) {
    *error = SystemMessage(GetLastError());
    CloseHandle(server);
    return nullptr;
  }
  *peer = std::make_unique<OverlappedStream>(server, StreamCallbacks{[](const std::uint8_t*, std::size_t) {}, {}});
  return std::make_unique<OverlappedStream>(client, std::move(callbacks));
}

}  // namespace win32native
