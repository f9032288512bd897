#pragma once
// Fixed-size callbacks with one argument that call either a member function of an object
// or a plain function. They never allocate: the target is held in place, and a callback
// is copied by value. Nothing keeps the target object alive; its owner does.
//
// A translator is assigned to a plain Callback_1: the copy takes the object, the target
// and the translator's invoker, so it then calls what the translator would have called.

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace Callback {

namespace detail {
class AnyClass;
}

// Room for a pointer to member function (the largest kind of target) or a plain one.
constexpr std::size_t TargetSize =
    std::max(sizeof(void(detail::AnyClass::*)()), sizeof(void (*)()));

class Callback_base {
public:
    virtual ~Callback_base() = default;

protected:
    using Function = void (*)();

    // A non-null `object`: `size` bytes of the member-function pointer at `memberPointer`
    // go into `target`, the rest is zeroed. A null `object`: `function` goes into it.
    Callback_base(void* obj, Function function, const void* memberPointer, std::size_t size)
        : object(obj), target{}
    {
        if (obj != nullptr)
            std::memcpy(target, memberPointer, std::min(size, TargetSize));
        else
            std::memcpy(target, &function, sizeof function);
    }
    Callback_base(const Callback_base&) = default;
    Callback_base& operator=(const Callback_base&) = default;

    static void* ObjectOf(const Callback_base& c) { return c.object; }
    template <typename T>
    static T TargetOf(const Callback_base& c)
    {
        static_assert(sizeof(T) <= TargetSize, "the target does not fit");
        T t;
        std::memcpy(&t, c.target, sizeof t);
        return t;
    }

private:
    void* object;
    unsigned char target[TargetSize];
};

template <typename P1>
class Callback_1 : public Callback_base {
public:
    Callback_1(const Callback_1&) = default;
    Callback_1& operator=(const Callback_1&) = default;

    void Invoke(P1 argument) const { invoker(*this, argument); }

protected:
    using Invoker = void (*)(const Callback_1& self, P1 argument);

    Callback_1(void* obj, Function function, const void* memberPointer, std::size_t size,
               Invoker call)
        : Callback_base(obj, function, memberPointer, size), invoker(call)
    {
    }

private:
    Invoker invoker;
};

// Calls `member` on `object`.
template <typename P1, typename Callee, typename Member>
class membertranslator_1 : public Callback_1<P1> {
public:
    membertranslator_1(Callee& object, Member member)
        : Callback_1<P1>(&object, nullptr, &member, sizeof member, &Call)
    {
        static_assert(sizeof(Member) <= TargetSize, "the member pointer does not fit");
    }

private:
    static void Call(const Callback_1<P1>& self, P1 argument)
    {
        Callee* object = static_cast<Callee*>(Callback_base::ObjectOf(self));
        const Member member = Callback_base::template TargetOf<Member>(self);
        (object->*member)(argument);
    }
};

// Calls the plain function `function`; a null function makes a callback that does nothing.
template <typename P1, typename Func>
class functiontranslator_1 : public Callback_1<P1> {
public:
    explicit functiontranslator_1(Func function)
        : Callback_1<P1>(nullptr, reinterpret_cast<Callback_base::Function>(function), nullptr, 0,
                         &Call)
    {
    }

private:
    static void Call(const Callback_1<P1>& self, P1 argument)
    {
        const Func function =
            reinterpret_cast<Func>(Callback_base::template TargetOf<Callback_base::Function>(self));
        if (function != nullptr)
            function(argument);
    }
};

}  // namespace Callback
