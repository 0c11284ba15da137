/* A native library for the runtime's tests only (never shipped). It is loaded by name through
 * the runtime's loader and reaches the program solely through the exported hx_cffi, as the
 * game plug-ins do. Written in C to keep the interface header honest. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "runtime/cffi/hx_cffi.h"

#define EXPORT __attribute__((visibility("default")))

static void* resolve(const char* name) {
    static void* (*lookup)(const char*) = NULL;
    if (!lookup) {
        lookup = (void* (*)(const char*))dlsym(RTLD_DEFAULT, "hx_cffi");
        if (!lookup) {
            fprintf(stderr, "cffi_probe: the program does not export hx_cffi\n");
            exit(1);
        }
    }
    void* fn = lookup(name);
    if (!fn) {
        fprintf(stderr, "cffi_probe: hx_cffi has no %s\n", name);
        exit(1);
    }
    return fn;
}

#define API(name) ((name##_fn)resolve(#name))

static value kept;     /* an object kept without a root, as a plug-in keeps its handler */
static value* root;    /* a rooted value */
static int kindTag;    /* the address serves as this library's non-zero kind */
static int handleData; /* what the handles point at */

/* "<type>|<int>|<float>|<bool>|<string>|<strlen>" of any value. */
static value probe_describe(value v) {
    char buf[512];
    snprintf(buf, sizeof buf, "%d|%d|%g|%d|%s|%d", API(val_type)(v), API(val_int)(v),
             API(val_float)(v), API(val_bool)(v), API(val_string)(v), API(val_strlen)(v));
    return API(alloc_string)(buf);
}

/* A record built field by field: n Int, f Float, s String, b Bool, list [1, "two"], raw bytes. */
static value probe_make(void) {
    value r = API(alloc_empty_object)();
    API(alloc_field)(r, API(val_id)("n"), API(alloc_int)(5));
    API(alloc_field)(r, API(val_id)("f"), API(alloc_float)(1.5));
    API(alloc_field)(r, API(val_id)("s"), API(alloc_string_len)("h\xc3\xa9llo!", 6));
    API(alloc_field)(r, API(val_id)("b"), API(alloc_bool)(1));
    value list = API(alloc_array)(1);
    API(val_array_set_i)(list, 0, API(alloc_int)(1));
    API(val_array_push)(list, API(alloc_string)("two"));
    API(alloc_field)(r, API(val_id)("list"), list);
    const unsigned char raw[] = {'a', 0, 'b'};
    API(alloc_field)(r, API(val_id)("raw"), API(alloc_bytes)(raw, 3));
    return r;
}

static value probe_call(value f, value arg) {
    return API(val_call1)(f, arg);
}

static value probe_ocall(value obj, value name, value arg) {
    return API(val_ocall1)(obj, API(val_id)(API(val_string)(name)), arg);
}

static value probe_keep(value obj) {
    kept = obj;
    return API(alloc_null)();
}

static value probe_kept_call(value name) {
    return API(val_ocall0)(kept, API(val_id)(API(val_string)(name)));
}

static value probe_sum(value* args, int n) {
    int sum = 0;
    for (int i = 0; i < n; ++i) sum += API(val_int)(args[i]);
    return API(alloc_int)(sum);
}

/* A handle of kind 0 (flag false) or of this library's kind (flag true). */
static value probe_handle(value ownKind) {
    return API(alloc_abstract)(API(val_bool)(ownKind) ? (vkind)&kindTag : (vkind)0, &handleData);
}

/* "<kind 0 matches>|<own kind matches>|<data is ours>" */
static value probe_check(value h) {
    char buf[64];
    snprintf(buf, sizeof buf, "%d|%d|%d", API(val_to_kind)(h, (vkind)0) != NULL,
             API(val_to_kind)(h, (vkind)&kindTag) != NULL, API(val_data)(h) == &handleData);
    return API(alloc_string)(buf);
}

struct Listing {
    char text[512];
};

static void listField(value field, int id, void* cookie) {
    struct Listing* l = (struct Listing*)cookie;
    size_t used = strlen(l->text);
    snprintf(l->text + used, sizeof l->text - used, "%s%s=%s", used ? "," : "",
             API(val_field_name)(id), API(val_string)(field));
}

static value probe_fields(value obj) {
    struct Listing l = {{0}};
    API(val_iter_fields)(obj, listField, &l);
    return API(alloc_string)(l.text);
}

static value probe_root(value v) {
    if (root) API(free_root)(root);
    root = API(alloc_root)(v);
    return API(alloc_null)();
}

static value probe_rooted(void) {
    return root ? *root : API(alloc_null)();
}

static value probe_unroot(void) {
    API(free_root)(root);
    root = NULL;
    return API(alloc_null)();
}

/* The UTF-16 units of a string's wide form, as an array of Ints. */
static value probe_wide(value s) {
    const char16_t* w = API(val_wstring)(s);
    value units = API(alloc_array)(0);
    for (; *w; ++w) API(val_array_push)(units, API(alloc_int)(*w));
    return units;
}

EXPORT void* probe_describe__1(void) {
    return (void*)probe_describe;
}
EXPORT void* probe_make__0(void) {
    return (void*)probe_make;
}
EXPORT void* probe_call__2(void) {
    return (void*)probe_call;
}
EXPORT void* probe_ocall__3(void) {
    return (void*)probe_ocall;
}
EXPORT void* probe_keep__1(void) {
    return (void*)probe_keep;
}
EXPORT void* probe_kept_call__1(void) {
    return (void*)probe_kept_call;
}
EXPORT void* probe_sum__MULT(void) {
    return (void*)probe_sum;
}
EXPORT void* probe_handle__1(void) {
    return (void*)probe_handle;
}
EXPORT void* probe_check__1(void) {
    return (void*)probe_check;
}
EXPORT void* probe_fields__1(void) {
    return (void*)probe_fields;
}
EXPORT void* probe_root__1(void) {
    return (void*)probe_root;
}
EXPORT void* probe_rooted__0(void) {
    return (void*)probe_rooted;
}
EXPORT void* probe_unroot__0(void) {
    return (void*)probe_unroot;
}
EXPORT void* probe_wide__1(void) {
    return (void*)probe_wide;
}
