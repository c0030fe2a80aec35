// Engine values (the property interface) and named engine variables.
#pragma once

#include <string>
#include <vector>

#include "kel/types.h"

// Bounds attached to a value: low, high, a third value (meaning depends on the
// property) and the default.
struct KEL_API EVALUE_BOUNDS {
    double low;
    double high;
    double third;
    double def;
};

// Returns a bounds object owned by the engine (never freed by the caller; equal
// bounds share one object, so repeated calls do not grow memory).
KEL_API EVALUE_BOUNDS* EValue_Bounds(double low, double high, double third, double def);

// A typed value. Conversions read the value as the asked type: numbers convert
// to each other, a pointer or text converts to void* and char*, anything else gives 0
// or null.
class KEL_API EVALUE {
public:
    enum TYPE { NONE, INT8, INT32, DOUBLE, POINTER, TEXT };

    EVALUE() : type(NONE), bounds(nullptr) { u.i = 0; }
    EVALUE(unsigned char v, const EVALUE_BOUNDS* b = nullptr) : type(INT8), bounds(b) { u.i = v; }
    EVALUE(int v, const EVALUE_BOUNDS* b = nullptr) : type(INT32), bounds(b) { u.i = v; }
    EVALUE(double v, const EVALUE_BOUNDS* b = nullptr) : type(DOUBLE), bounds(b) { u.d = v; }
    EVALUE(void* v, const EVALUE_BOUNDS* b = nullptr) : type(POINTER), bounds(b) { u.p = v; }
    // Text: the value points at the caller's characters (not copied).
    EVALUE(const char* v, const EVALUE_BOUNDS* b = nullptr) : type(TEXT), bounds(b) { u.p = (void*)v; }

    EVALUE(const EVALUE&) = default;
    EVALUE& operator=(const EVALUE&) = default;

    explicit operator int() const;
    explicit operator float() const;
    explicit operator double() const;
    explicit operator char*() const;
    explicit operator void*() const;
    int AsInt() const { return (int)*this; }
    double AsDouble() const { return (double)*this; }
    void* AsPointer() const { return (void*)*this; }
    char* AsText() const { return (char*)*this; }

    TYPE Type() const { return type; }
    const EVALUE_BOUNDS* Bounds() const { return bounds; }

private:
    TYPE type;
    const EVALUE_BOUNDS* bounds;
    union {
        int i;
        double d;
        void* p;
    } u;
};

// A named engine setting, registered while it exists. Modules build these as
// static objects, so a variable lives from module load to unload.
class KEL_API EVARIABLE {
public:
    EVARIABLE(const char* name, const char* description);
    virtual ~EVARIABLE();
    EVARIABLE(const EVARIABLE&) = delete;
    EVARIABLE& operator=(const EVARIABLE&) = delete;

    const char* name() const { return name_.c_str(); }
    const char* description() const { return description_.c_str(); }
    // Sets the value from text; false when the text is not a value of this kind.
    virtual bool set_from_text(const char* text) = 0;
    virtual std::string text() const = 0;

    // The live variable of that name, or null.
    static EVARIABLE* find(const char* name);
    // Sets a variable by name from text; false when unknown or not parseable.
    static bool set(const char* name, const char* value);
    // Names of all live variables.
    static std::vector<std::string> names();

private:
    std::string name_;
    std::string description_;
};

class KEL_API double_VARIABLE : public EVARIABLE {
public:
    double_VARIABLE(double v, const char* name, const char* description) : EVARIABLE(name, description), value(v) {}
    operator double() const { return value; }
    void set_value(double v) { value = v; }
    bool set_from_text(const char* text) override;
    std::string text() const override;

private:
    double value;
};

class KEL_API INT_VARIABLE : public EVARIABLE {
public:
    INT_VARIABLE(int v, const char* name, const char* description) : EVARIABLE(name, description), value(v) {}
    operator int() const { return value; }
    void set_value(int v) { value = v; }
    bool set_from_text(const char* text) override;
    std::string text() const override;

private:
    int value;
};
