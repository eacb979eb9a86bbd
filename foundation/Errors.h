#pragma once
// The program's exceptions: one plain class per condition, all derived from
// EVentrelError, which carries the message shown to the operator as it is.
#include <QByteArray>
#include <QString>
#include <exception>

class EVentrelError : public std::exception
{
  public:
    explicit EVentrelError(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8())
    {
    }
    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

  private:
    QString FMessage;
    QByteArray FUtf8;
};

// Declares a plain message-carrying exception class derived from Base.
#define VENTREL_DECLARE_ERROR(Name, Base)                                                          \
    class Name : public Base                                                                       \
    {                                                                                              \
      public:                                                                                      \
        using Base::Base;                                                                          \
    }

// The run time's own error kinds.
VENTREL_DECLARE_ERROR(EConvertError, EVentrelError);   // text that is not a number
VENTREL_DECLARE_ERROR(ERangeError, EVentrelError);     // a value outside its target range
VENTREL_DECLARE_ERROR(EIntOverflow, EVentrelError);    // integer arithmetic overflow
VENTREL_DECLARE_ERROR(EMathError, EVentrelError);      // invalid floating-point operation
VENTREL_DECLARE_ERROR(EListIndexError, EVentrelError); // a list position that does not exist
VENTREL_DECLARE_ERROR(EFileError, EVentrelError);      // a file that cannot be read or written
