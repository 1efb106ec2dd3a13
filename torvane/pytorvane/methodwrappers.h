// What a method wrapper of AbstractItemView is made of. Each argument is described by a
// kind that holds its format letters, the parse targets the runtime fills for those letters
// and the value handed to Qt, so a format string can never disagree with its arguments: the
// format is built from the kinds, and the compiler checks their values against the member.
#pragma once

#include "runtimetypes.h"
#include "sipabstractitemview.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

template <>
inline const sipTypeDef *runtimeType<QMargins>() { return sipCoreType(QMargins); }
template <>
inline const sipTypeDef *runtimeType<QStyleOptionFrame>() { return sipWidgetsType(QStyleOptionFrame); }
template <>
inline const sipTypeDef *runtimeType<quintptr>() { return sipCoreType(quintptr); }
template <>
inline const sipTypeDef *runtimeType<AbstractItemView::CursorAction>()
{
    return sipWidgetsType(QAbstractItemView_CursorAction);
}
template <>
inline const sipTypeDef *runtimeType<AbstractItemView::State>() { return sipWidgetsType(QAbstractItemView_State); }
template <>
inline const sipTypeDef *runtimeType<AbstractItemView::DropIndicatorPosition>()
{
    return sipWidgetsType(QAbstractItemView_DropIndicatorPosition);
}

namespace wrap {

template <std::size_t N>
using Code = std::array<char, N>;

// "J9": a wrapped object of that type; None refused. Qt gets a reference.
template <typename T>
struct Ref
{
    static constexpr Code<2> code{'J', '9'};
    T *ptr = nullptr;
    auto targets() { return std::tuple(runtimeType<T>(), &ptr); }
    T &value() { return *ptr; }
    void release() {}
};

// "J9" for a pointer argument whose Qt implementation dereferences it: None is refused
// rather than handed to Qt as a null pointer.
template <typename T>
struct NonNull : Ref<T>
{
    T *value() { return this->ptr; }
};

// A painter that Qt writes its state into: it must have begun painting.
struct ActivePainter : NonNull<QPainter>
{
    bool usable()
    {
        if (ptr->isActive())
            return true;
        PyErr_SetString(PyExc_ValueError, "the painter is not active");
        return false;
    }
};

// "J8": a wrapped object or None, handed to Qt as a pointer.
template <typename T>
struct Ptr
{
    static constexpr Code<2> code{'J', '8'};
    T *ptr = nullptr;
    auto targets() { return std::tuple(runtimeType<T>(), &ptr); }
    T *value() { return ptr; }
    void release() {}
};

// "J1": whatever the Qt binding converts to the type; its temporary is released after the call.
// An optional one starts as the type's default value.
template <typename T>
struct Conv
{
    static constexpr Code<2> code{'J', '1'};
    T fallback{};
    T *ptr = &fallback;
    int state = 0;
    auto targets() { return std::tuple(runtimeType<T>(), &ptr, &state); }
    T &value() { return *ptr; }
    void release()
    {
        if (ptr != &fallback)
            sipReleaseType(ptr, runtimeType<T>(), state);
    }
};

// "E": a member of the Qt binding's enum type.
template <typename E>
struct Enum
{
    static constexpr Code<1> code{'E'};
    int number = 0;
    auto targets() { return std::tuple(runtimeType<E>(), &number); }
    E value() { return E(number); }
    void release() {}
};

struct Int
{
    static constexpr Code<1> code{'i'};
    int number = 0;
    auto targets() { return std::tuple(&number); }
    int value() { return number; }
    void release() {}
};

template <bool Default = false>
struct Bool
{
    static constexpr Code<1> code{'b'};
    bool flag = Default;
    auto targets() { return std::tuple(&flag); }
    bool value() { return flag; }
    void release() {}
};

struct VoidPtr
{
    static constexpr Code<1> code{'v'};
    void *address = nullptr;
    auto targets() { return std::tuple(&address); }
    void *value() { return address; }
    void release() {}
};

struct Object
{
    static constexpr Code<2> code{'P', '0'};
    PyObject *object = nullptr;
    auto targets() { return std::tuple(&object); }
    PyObject *value() { return object; }
    void release() {}
};

// Marks the first optional argument: "|" before its letters.
template <typename K>
struct Opt : K
{
    static constexpr auto code = [] {
        Code<K::code.size() + 1> text{'|'};
        for (std::size_t i = 0; i < K::code.size(); ++i)
            text[i + 1] = K::code[i];
        return text;
    }();
};

template <typename... K>
consteval auto formatOf()
{
    Code<(std::size_t(2) + ... + K::code.size())> text{'B'};
    std::size_t at = 1;
    ((std::copy(K::code.begin(), K::code.end(), text.begin() + at), at += K::code.size()), ...);
    text[at] = '\0';
    return text;
}

template <std::size_t N, std::size_t M>
consteval bool sameFormat(const Code<N> &built, const char (&written)[M])
{
    if (N != M)
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (built[i] != written[i])
            return false;
    return true;
}

// One signature: parses the view ("B") and the kinds, calls, releases.
template <typename... K>
struct Signature
{
    static constexpr auto format = formatOf<K...>();
    std::tuple<K...> kinds;

    // self is taken by value: a failed attempt must not leave the next one a changed self.
    bool parse(PyObject **parseErr, PyObject *args, PyObject *kwds, const char **keywords, PyObject *self,
               AbstractItemView **view)
    {
        auto targets = std::apply([](auto &...k) { return std::tuple_cat(k.targets()...); }, kinds);
        return std::apply(
                   [&](auto... t) {
                       if (keywords)
                           return sipParseKwdArgs(parseErr, args, kwds, keywords, nullptr, format.data(), &self,
                                                  sipType_AbstractItemView, view, t...);
                       return sipParseArgs(parseErr, args, format.data(), &self, sipType_AbstractItemView, view,
                                           t...);
                   },
                   targets)
            != 0;
    }

    template <typename F>
    decltype(auto) call(F &&member)
    {
        return std::apply([&](auto &...k) -> decltype(auto) { return member(k.value()...); }, kinds);
    }

    void release()
    {
        std::apply([](auto &...k) { (k.release(), ...); }, kinds);
    }

    // Checks that parsing cannot make; a failure sets the Python exception.
    bool usable()
    {
        return std::apply([](auto &...k) { return (usable(k) && ...); }, kinds);
    }

    template <typename Kind>
    static bool usable(Kind &kind)
    {
        if constexpr (requires { kind.usable(); })
            return kind.usable();
        else
            return true;
    }
};

template <typename T>
PyObject *toPython(T &&result)
{
    using R = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<R, bool>)
        return PyBool_FromLong(result);
    else if constexpr (std::is_same_v<R, int>)
        return PyLong_FromLong(result);
    else if constexpr (std::is_enum_v<R>)
        return sipConvertFromEnum(int(result), runtimeType<R>());
    else if constexpr (std::is_pointer_v<R>)
        return sipConvertFromType(result, runtimeType<std::remove_cv_t<std::remove_pointer_t<R>>>(), nullptr);
    else
        return sipConvertFromNewType(new R(std::forward<T>(result)), runtimeType<R>(), nullptr);
}

// Set when the view's own Qt implementation must run: the method was called through the
// class, or the view was created from Python (its virtual would route back to Python).
inline bool selfWasArgument(PyObject *self)
{
    return !self || sipIsDerivedClass(reinterpret_cast<sipSimpleWrapper *>(self));
}

enum class Via {
    Virtual,  // an accessor that takes selfWasArgument
    Plain,    // a member with one implementation
    Pure,     // a pure virtual: refused when called through the class
};

template <typename... K>
struct Wrapper
{
    template <Via via, typename F>
    static PyObject *run(PyObject *self, PyObject *args, PyObject *kwds, const char **keywords, const char *name,
                         F &&member)
    {
        PyObject *parseErr = nullptr;
        const bool wasArgument = selfWasArgument(self);
        AbstractItemView *cpp;
        Signature<K...> signature;
        if (!signature.parse(&parseErr, args, kwds, keywords, self, &cpp)) {
            sipNoMethod(parseErr, "AbstractItemView", name, nullptr);
            return nullptr;
        }
        if (!signature.usable()) {
            signature.release();
            return nullptr;
        }
        if constexpr (via == Via::Pure) {
            if (!self) {
                signature.release();
                sipAbstractMethod("AbstractItemView", name);
                return nullptr;
            }
        }
        // Every AbstractItemView is a sipAbstractItemView: it is the only concrete class.
        auto *view = static_cast<sipAbstractItemView *>(cpp);
        auto invoke = [&]() -> decltype(auto) {
            return signature.call([&](auto &&...values) -> decltype(auto) {
                if constexpr (via == Via::Virtual)
                    return member(view, wasArgument, std::forward<decltype(values)>(values)...);
                else
                    return member(view, std::forward<decltype(values)>(values)...);
            });
        };
        if constexpr (std::is_void_v<decltype(invoke())>) {
            invoke();
            signature.release();
            Py_RETURN_NONE;
        } else {
            auto result = invoke();
            signature.release();
            return toPython(std::move(result));
        }
    }
};

}  // namespace wrap
