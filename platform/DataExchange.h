#pragma once
// Moving values between a dialog's members and its controls. The reads that
// can fail show the platform's message (exclamation, OK, "Glenvar"), then put
// the focus on the offending edit with its whole text selected.

#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

// Decimal numbers as the edits accept them (core/EditNumbers.h).
std::optional<int32_t> ParseInt32(const QString& text);
std::optional<uint32_t> ParseUInt32(const QString& text);

QString ControlText(const QWidget* dialog, int id);
void SetControlText(QWidget* dialog, int id, const QString& text);
bool IsChecked(const QWidget* dialog, int id);
void SetChecked(QWidget* dialog, int id, bool checked);

void WriteInt(QWidget* dialog, int id, int32_t value);    // "%d"
void WriteUInt(QWidget* dialog, int id, uint32_t value);  // "%u"

// Each returns false after showing its message.
bool ReadInt(QWidget* dialog, int id, int32_t& value);  // "整数を入力してください。"
bool ReadUInt(QWidget* dialog, int id, uint32_t& value);  // "正の整数を入力してください。"
bool CheckRange(QWidget* dialog, int id, int32_t value, int32_t minimum, int32_t maximum);
