#include "plugins/core/host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace plug::host {

namespace {

using CffiFn = void* (*)(const char*);

// The module search: the program itself, then the runtime library under its two names.
CffiFn FindCffi() {
    if (void* self = dlopen(nullptr, RTLD_LAZY)) {
        if (void* found = dlsym(self, "hx_cffi")) return reinterpret_cast<CffiFn>(found);
    }
    for (const char* name : {"libmorvickrt.so.1", "libmorvickrt.so"}) {
        void* module = dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
        if (module == nullptr) continue;
        if (void* found = dlsym(module, "hx_cffi")) return reinterpret_cast<CffiFn>(found);
        dlclose(module);
    }
    std::fprintf(stderr, "Could not link plugin to process (hxCFFILoader %d)\n", 613);
    std::exit(1);
}

void* Resolve(const char* name) {
    static const CffiFn cffi = FindCffi();
    void* function = cffi(name);
    if (function == nullptr) {
        std::fprintf(stderr, "Could find function %s \n", name);
        std::exit(1);
    }
    return function;
}

template <typename Fn>
struct Stub;

template <typename R, typename... Args>
struct Stub<R (*)(Args...)> {
    using Fn = R (*)(Args...);
    template <Fn* Slot, const char* Name>
    static R Call(Args... args) {
        *Slot = reinterpret_cast<Fn>(Resolve(Name));
        return (*Slot)(args...);
    }
};

constexpr char kAllocAbstract[] = "alloc_abstract";
constexpr char kAllocInt[] = "alloc_int";
constexpr char kAllocBool[] = "alloc_bool";
constexpr char kAllocStringLen[] = "alloc_string_len";
constexpr char kValToKind[] = "val_to_kind";
constexpr char kValData[] = "val_data";
constexpr char kValType[] = "val_type";
constexpr char kValString[] = "val_string";
constexpr char kValWstring[] = "val_wstring";
constexpr char kValInt[] = "val_int";
constexpr char kValBool[] = "val_bool";
constexpr char kValFloat[] = "val_float";
constexpr char kValArraySize[] = "val_array_size";
constexpr char kValArrayI[] = "val_array_i";
constexpr char kValId[] = "val_id";
constexpr char kValField[] = "val_field";
constexpr char kValOcall1[] = "val_ocall1";
constexpr char kHxFail[] = "hx_fail";

}  // namespace

alloc_abstract_fn alloc_abstract = &Stub<alloc_abstract_fn>::Call<&alloc_abstract, kAllocAbstract>;
alloc_int_fn alloc_int = &Stub<alloc_int_fn>::Call<&alloc_int, kAllocInt>;
alloc_bool_fn alloc_bool = &Stub<alloc_bool_fn>::Call<&alloc_bool, kAllocBool>;
alloc_string_len_fn alloc_string_len =
    &Stub<alloc_string_len_fn>::Call<&alloc_string_len, kAllocStringLen>;
val_to_kind_fn val_to_kind = &Stub<val_to_kind_fn>::Call<&val_to_kind, kValToKind>;
val_data_fn val_data = &Stub<val_data_fn>::Call<&val_data, kValData>;
val_type_fn val_type = &Stub<val_type_fn>::Call<&val_type, kValType>;
val_string_fn val_string = &Stub<val_string_fn>::Call<&val_string, kValString>;
val_wstring_fn val_wstring = &Stub<val_wstring_fn>::Call<&val_wstring, kValWstring>;
val_int_fn val_int = &Stub<val_int_fn>::Call<&val_int, kValInt>;
val_bool_fn val_bool = &Stub<val_bool_fn>::Call<&val_bool, kValBool>;
val_float_fn val_float = &Stub<val_float_fn>::Call<&val_float, kValFloat>;
val_array_size_fn val_array_size = &Stub<val_array_size_fn>::Call<&val_array_size, kValArraySize>;
val_array_i_fn val_array_i = &Stub<val_array_i_fn>::Call<&val_array_i, kValArrayI>;
val_id_fn val_id = &Stub<val_id_fn>::Call<&val_id, kValId>;
val_field_fn val_field = &Stub<val_field_fn>::Call<&val_field, kValField>;
val_ocall1_fn val_ocall1 = &Stub<val_ocall1_fn>::Call<&val_ocall1, kValOcall1>;
hx_fail_fn hx_fail = &Stub<hx_fail_fn>::Call<&hx_fail, kHxFail>;

}  // namespace plug::host
