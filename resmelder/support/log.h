#pragma once
// The tree-shaped log every operation writes into: contexts hold tagged values, errors,
// information and plain lines. Its text rendering is what a failed write reports.

#include <cstdint>
#include <memory>
#include <vector>

#include "support/ext_ptr_array.h"
#include "support/string_buffer.h"
#include "support/vantrix_object.h"

namespace resmelder {

class XString;

class LogEntry2 : public VantrixObject {
  public:
    static constexpr char kContext = 'C';
    static constexpr char kTagged = 'T';
    static constexpr char kError = 'E';
    static constexpr char kInfo = 'I';
    static constexpr char kLine = 'X';

    explicit LogEntry2(char kind) : kind_(kind) {}

    char Kind() const { return kind_; }
    /// Context name or tag.
    StringBuffer& Tag() { return tag_; }
    const StringBuffer& Tag() const { return tag_; }
    /// Value or text.
    StringBuffer& Text() { return text_; }
    const StringBuffer& Text() const { return text_; }
    ExtPtrArray<LogEntry2>& Children() { return children_; }
    const ExtPtrArray<LogEntry2>& Children() const { return children_; }

  private:
    char kind_;
    ExtPtrArray<LogEntry2> children_;
    StringBuffer tag_;
    StringBuffer text_;
};

/// A log tree and the stack of open contexts; the root context is "VantrixLog".
class ErrorLog : public VantrixObject {
  public:
    static constexpr const char* kRootName = "VantrixLog";

    ErrorLog();
    const LogEntry2& Root() const { return *root_; }
    LogEntry2& Current() { return *contexts_.back(); }
    void Add(std::unique_ptr<LogEntry2> entry);
    void Push(std::unique_ptr<LogEntry2> context);
    void Pop();
    void Reset();

  private:
    std::unique_ptr<LogEntry2> root_;
    std::vector<LogEntry2*> contexts_;  // [0] is the root, back() the current context
};

class LogBase : public VantrixObject {
  public:
    virtual bool GetLogXml(StringBuffer& out) = 0;
    virtual bool GetLogHtml(StringBuffer& out) = 0;
    virtual bool GetLogText(StringBuffer& out) = 0;
    virtual bool LogError(const char* text) = 0;
    virtual bool LogInfo(const char* text) = 0;
    virtual bool LogLine(const char* text) = 0;
    virtual bool ClearLog() = 0;
    virtual bool EnterContext(const char* name, bool flag) = 0;
    virtual bool LeaveContext() = 0;
    /// False, and nothing logged, for an empty tag or a null value.
    virtual bool LogData(const char* tag, const char* value) = 0;
    virtual bool LogDataLong(const char* tag, std::int32_t value) = 0;
    virtual bool LogTickCount(const char* tag) = 0;
    virtual bool SaveLogXml(const XString& fileName) = 0;
};

class Logger : public LogBase {
  public:
    bool GetLogXml(StringBuffer& out) override;
    bool GetLogHtml(StringBuffer& out) override;
    bool GetLogText(StringBuffer& out) override;
    bool LogError(const char* text) override;
    bool LogInfo(const char* text) override;
    bool LogLine(const char* text) override;
    bool ClearLog() override;
    bool EnterContext(const char* name, bool flag) override;
    bool LeaveContext() override;
    bool LogData(const char* tag, const char* value) override;
    bool LogDataLong(const char* tag, std::int32_t value) override;
    bool LogTickCount(const char* tag) override;
    bool SaveLogXml(const XString& fileName) override;

    const ErrorLog& Tree() const { return log_; }

  private:
    bool AddText(char kind, const char* text);

    ErrorLog log_;
};

/// Enters a context and leaves it again on every path.
class LogContext {
  public:
    LogContext(LogBase* log, const char* name) : log_(log) {
        if (log_ != nullptr) {
            log_->EnterContext(name, false);
        }
    }
    LogContext(const LogContext&) = delete;
    LogContext& operator=(const LogContext&) = delete;
    ~LogContext() {
        if (log_ != nullptr) {
            log_->LeaveContext();
        }
    }

  private:
    LogBase* log_;
};

}  // namespace resmelder
