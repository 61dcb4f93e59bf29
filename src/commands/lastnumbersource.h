#pragma once

// What the command bar asks of the form it sits in: the number of the last
// numbered section, so that the new-item form offers numbers up to one past
// it. The composer implements it; the bar finds it through its parent.
class CLastNumberSource {
public:
    virtual ~CLastNumberSource() = default;
    virtual int lastNumber() const = 0;
};
