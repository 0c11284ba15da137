#pragma once

namespace rt {

// A member pointer with the name it is reached by (a class's field, operation or static).
template <class M>
struct Named {
    const char* name;
    M member;
};
// Spelled out: not every compiler deduces an aggregate's arguments by itself.
template <class M>
Named(const char*, M) -> Named<M>;

}  // namespace rt

// The members of class C, each named by its own C++ name, as a list of rt::Named:
//
//   RT_NAMED(Size, height, width)  is  rt::Named{"height", &Size::height},
//                                      rt::Named{"width", &Size::width}
//
// so that a class whose by-name members keep their C++ names writes each name once. Up to 64
// members a list.
#define RT_NAMED(C, ...) __VA_OPT__(RT_DETAIL_EXPAND(RT_DETAIL_NAMED(C, __VA_ARGS__)))

#define RT_DETAIL_NAMED(C, m, ...) \
    ::rt::Named{#m, &C::m} __VA_OPT__(, RT_DETAIL_NAMED_AGAIN RT_DETAIL_PARENS(C, __VA_ARGS__))
#define RT_DETAIL_NAMED_AGAIN() RT_DETAIL_NAMED
#define RT_DETAIL_PARENS ()
// Rescans the list 64 times, once a member.
#define RT_DETAIL_EXPAND(...) \
    RT_DETAIL_EXPAND16(RT_DETAIL_EXPAND16(RT_DETAIL_EXPAND16(RT_DETAIL_EXPAND16(__VA_ARGS__))))
#define RT_DETAIL_EXPAND16(...) \
    RT_DETAIL_EXPAND4(RT_DETAIL_EXPAND4(RT_DETAIL_EXPAND4(RT_DETAIL_EXPAND4(__VA_ARGS__))))
#define RT_DETAIL_EXPAND4(...) \
    RT_DETAIL_EXPAND1(RT_DETAIL_EXPAND1(RT_DETAIL_EXPAND1(RT_DETAIL_EXPAND1(__VA_ARGS__))))
#define RT_DETAIL_EXPAND1(...) __VA_ARGS__
