// A text of the interface in both languages: an id of the shared text table,
// or a Russian/English pair held by the operation that shows it. The one place
// where a language picks a text.
#pragma once

#include <QString>

#include "core/uitext.h"

class UiString {
  public:
    UiString() = default;  // no text
    // NOLINTNEXTLINE(google-explicit-constructor): an id or a pair reads as a text
    UiString(kurv::TextId id) : first_(id), last_(id) {}
    UiString(const char* russian, const char* english) : russian_(russian), english_(english) {}
    // The ids first .. last as lines of one text (the help text).
    static UiString Lines(kurv::TextId first, kurv::TextId last) {
        UiString s(first);
        s.last_ = last;
        return s;
    }

    // Language 1 is English, any other Russian.
    QString In(int language) const;

  private:
    kurv::TextId first_ = kurv::TextId::Count;
    kurv::TextId last_ = kurv::TextId::Count;
    const char* russian_ = nullptr;
    const char* english_ = nullptr;
};
