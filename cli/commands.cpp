#include "cli/commands.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <istream>
#include <ostream>

#include "cli/arguments.h"
#include "cli/session.h"
#include "export/record_export.h"
#include "platform/ctime.h"
#include "platform/exceptions.h"
#include "protocol/frames.h"
#include "protocol/input_checks.h"
#include "protocol/records.h"
#include "protocol/replies.h"

namespace cli {

namespace {

constexpr const char* kProgram = "korvex12-cli";
constexpr const char* kVersion = KORVEX_VERSION;

// The outcome on one port: its status and what its line says.
struct Outcome {
  int status = kDone;
  std::string text = "ok";
};

// A window message as one line: without its trailing line ends.
std::string Plain(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

Outcome Failure(int status, std::string text) { return {status, std::move(text)}; }

// What a setting's reply means, judged as the window judges it.
Outcome Judge(const ReplyOutcome& outcome, const char* success) {
  switch (outcome.kind) {
    case ReplyOutcome::Kind::Message:
      if (outcome.text == success) return {};
      return Failure(kDeviceFailed, Plain(outcome.text));
    case ReplyOutcome::Kind::ReadBack:
      return Failure(kDeviceFailed, "The device answered with its password instead of a confirmation.");
    case ReplyOutcome::Kind::Nothing:
      break;
  }
  return Failure(kDeviceFailed, "The device's answer was not recognised.");
}

class PortRun {
 public:
  PortRun(const Invocation& inv, System& system, Streams& io, bool several)
      : m_inv(inv), m_system(system), m_io(io), m_several(several), m_session(system) {}

  Outcome On(const std::string& port) {
    std::string error;
    if (!m_session.Open(port, &error)) return Failure(kPortFailed, error);
    switch (m_inv.command) {
      case Command::PasswordSet:
      case Command::PasswordRead:
      case Command::ClockSet:
      case Command::AngleSet:
        return Setting();
      case Command::ZeroSet:
        return NoReply(CMD_ZERO_SET.data(), CMD_ZERO_SET.size());
      case Command::ZeroReset:
        return NoReply(CMD_ZERO_RESET.data(), CMD_ZERO_RESET.size());
      case Command::RecordsClear:
        return NoReply(CMD_CLEAR_RECORDS.data(), CMD_CLEAR_RECORDS.size());
      case Command::RecordsRead:
        return ReadRecords();
      default:
        return {};
    }
  }

 private:
  // A setting and its reply, repeated while the device refuses it or stays silent.
  Outcome Setting() {
    Outcome outcome;
    for (int attempt = 0; attempt <= m_inv.retries; ++attempt) {
      if (attempt > 0) m_session.Drain(kQuietMs);  // what is left of the last answer is not the next one's
      outcome = SettingOnce();
      if (outcome.status != kDeviceFailed) break;
    }
    return outcome;
  }

  Outcome SettingOnce() {
    std::int32_t clockBcd[7] = {};
    std::vector<std::uint8_t> frame;
    unsigned timeoutMs = kSetTimeoutMs;
    switch (m_inv.command) {
      case Command::PasswordSet: {
        const auto f = BuildSetPasswordFrame(m_inv.password);
        frame.assign(f.begin(), f.end());
        break;
      }
      case Command::PasswordRead:
        frame.assign(CMD_READ_PASSWORD.begin(), CMD_READ_PASSWORD.end());
        timeoutMs = kReadTimeoutMs;
        break;
      case Command::ClockSet: {
        const ClockValue c = m_inv.clock ? *m_inv.clock : Now();
        const auto f = BuildSetClockFrame(c.year % 100, c.month, c.day, c.hour, c.minute, c.second, Weekday(c), clockBcd);
        frame.assign(f.begin(), f.end());
        break;
      }
      default: {
        const auto f = BuildSetAlarmAngleFrame(m_inv.angle.c_str());
        frame.assign(f.begin(), f.end());
        break;
      }
    }
    const DeviceSession::Reply reply = m_session.Request(frame.data(), frame.size(), timeoutMs);
    if (reply.end == DeviceSession::End::Lost) return Failure(kPortFailed, m_session.Name() + " was disconnected.");
    if (reply.end == DeviceSession::End::WriteFailed) return Failure(kPortFailed, reply.error);
    if (reply.end == DeviceSession::End::TimedOut) return Failure(kDeviceFailed, "Return timeout,Error!");
    const std::uint8_t* bytes = reply.bytes.data();
    switch (m_inv.command) {
      case Command::PasswordSet:
        return Judge(JudgePasswordReply(bytes, reply.count, m_inv.password), "Success!\n");
      case Command::PasswordRead: {
        // No password is at stake in a read: a set acknowledgement matches none.
        const ReplyOutcome outcome = JudgePasswordReply(bytes, reply.count, -1);
        if (outcome.kind == ReplyOutcome::Kind::ReadBack) return {kDone, outcome.text};
        return Judge(outcome, "");
      }
      case Command::ClockSet:
        return Judge(JudgeClockReply(bytes, reply.count, clockBcd), "OK!\n");
      default:
        return Judge(JudgeAlarmAngleReply(bytes, *AlarmAngleFromEntry(m_inv.angle)), "Success!\n");
    }
  }

  Outcome NoReply(const std::uint8_t* frame, std::size_t n) {
    std::string error;
    if (!m_session.Send(frame, n, &error)) return Failure(kPortFailed, error);
    m_session.Drain(kQuietMs);  // the frame leaves the line before the port is closed
    return {};
  }

  Outcome ReadRecords() {
    const std::string name = m_session.Name();
    auto progress = [&](int bytes, int records, std::int64_t elapsedUs) {
      char line[128];
      std::snprintf(line, sizeof line, "\r%s: %d bytes, %d records, %.1f s", name.c_str(), bytes, records,
                    static_cast<double>(elapsedUs) / 1e6);
      m_io.err << line << std::flush;
    };
    const DeviceSession::Stream stream =
        m_io.errIsTerminal ? m_session.ReadRecords(progress) : m_session.ReadRecords(nullptr);
    if (m_io.errIsTerminal) m_io.err << "\n";
    if (stream.end == DeviceSession::End::WriteFailed) return Failure(kPortFailed, stream.error);

    std::string text = kRecordFileHeader;
    int rows = 0;
    ForEachRecord(reinterpret_cast<const std::uint8_t*>(stream.bytes.data()), static_cast<int>(stream.bytes.size()),
                  [&](const std::uint8_t* record) { AppendRecordLine(&text, RecordRowTexts(++rows, record)); });
    // What arrived is kept, also from a read that was cut short.
    if (const Outcome written = Write(text); written.status != kDone) return written;
    if (stream.end == DeviceSession::End::Lost) {
      return Failure(kPortFailed, name + " was disconnected during the read: " + std::to_string(rows) + " records received.");
    }
    if (rows == 0) {
      m_io.err << (stream.seen ? name + ": the answer held no records.\n" : name + ": the device's log is empty.\n");
    }
    return {kDone, m_several ? std::to_string(rows) + " records" : "ok"};
  }

  Outcome Write(const std::string& text) {
    if (!m_inv.output) {
      m_io.out << text << std::flush;
      return {};
    }
    std::string path = *m_inv.output;
    for (std::size_t at; (at = path.find("{port}")) != std::string::npos;) path.replace(at, 6, FileSafe(m_session.Name()));
    try {
      WriteTextFile(path, text);
    } catch (const CException& e) {
      return Failure(kBadInput, e.Description());
    }
    return {};
  }

  // A port's name as part of a file name: COM5, or the device path's last part.
  static std::string FileSafe(const std::string& name) {
    std::string safe = std::filesystem::path(name).filename().string();
    std::replace_if(safe.begin(), safe.end(), [](char c) { return c == '\\' || c == ':' || c == '/'; }, '_');
    return safe;
  }

  ClockValue Now() const {
    std::tm t{};
    CTime(m_system.WallClockNow()).GetLocalTm(&t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  }

  // The weekday of the date (0 = Sunday), as the date picker's local date gives it.
  static int Weekday(const ClockValue& c) {
    std::tm t{};
    CTime(c.year, c.month, c.day, 12, 0, 0).GetLocalTm(&t);
    return t.tm_wday;
  }

  const Invocation& m_inv;
  System& m_system;
  Streams& m_io;
  bool m_several;
  DeviceSession m_session;
};

// Asks before the device's log is deleted; true to go on.
bool ConfirmClear(const Invocation& inv, Streams& io) {
  if (inv.yes) return true;
  if (!io.inIsTerminal) {
    io.err << kProgram << ": records clear deletes the device's log; without a terminal to ask on, add --yes\n";
    return false;
  }
  io.err << "All records will be deleted! Continue? [y/N] " << std::flush;
  std::string answer;
  std::getline(io.in, answer);
  if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES") return true;
  io.err << "Nothing was deleted.\n";
  return false;
}

}  // namespace

int Run(const std::vector<std::string>& args, System& system, Streams io) {
  Invocation inv;
  std::string error;
  if (!ParseArguments(args, &inv, &error)) {
    io.err << kProgram << ": " << error << "\n";
    return kBadInput;
  }
  switch (inv.command) {
    case Command::Help:
      io.out << HelpText();
      return kDone;
    case Command::Version:
      io.out << kProgram << " " << kVersion << "\n";
      return kDone;
    case Command::Ports:
      for (const PortInfo& p : system.Ports()) io.out << p.name << '\t' << p.device << '\t' << p.description << '\n';
      return kDone;
    case Command::RecordsClear:
      if (!ConfirmClear(inv, io)) return kBadInput;
      break;
    case Command::RecordsRead:
      // A folder that is not there is found before the device spends a minute on the log.
      if (inv.output) {
        const std::filesystem::path folder = std::filesystem::path(*inv.output).parent_path();
        std::error_code ec;
        if (!folder.empty() && folder.string().find("{port}") == std::string::npos &&
            !std::filesystem::is_directory(folder, ec)) {
          io.err << kProgram << ": --output: there is no folder " << folder.string() << "\n";
          return kBadInput;
        }
      }
      break;
    default:
      break;
  }
  const bool several = inv.ports.size() > 1;
  int worst = kDone;
  for (const std::string& port : inv.ports) {
    PortRun run(inv, system, io, several);
    const Outcome outcome = run.On(port);
    worst = std::max(worst, outcome.status);
    if (several) {
      io.out << port << '\t' << outcome.text << '\n' << std::flush;
    } else if (outcome.status != kDone) {
      io.err << outcome.text << '\n';
    } else if (inv.command == Command::PasswordRead) {
      io.out << outcome.text << '\n';
    }
  }
  return worst;
}

}  // namespace cli
