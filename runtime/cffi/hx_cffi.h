/*
 * The host value interface of the lobby program, for native libraries written in C or C++.
 *
 * The program's executable exports one function, hx_cffi, that answers the address of an
 * interface function by name (null for a name it does not offer). A library looks hx_cffi up in
 * the executable (dlsym on the main program) and casts each address to the type below.
 *
 * Lifetimes (see docs/runtime.md):
 *  - A value handed to a primitive or made during it stays valid until the primitive returns.
 *    Outside a primitive (a message-loop callback) values live until the loop's dispatch ends.
 *  - For arrays, records, objects, functions, strings, bytes and abstracts a value is the
 *    object's own address: it stays valid for as long as the program holds the object.
 *  - alloc_root keeps a value alive until free_root; *root must not be written.
 *  - Texts and buffers answered by the readers belong to the runtime: val_string and
 *    val_bytes_data live as long as the value; val_wstring's buffer and the text form of a
 *    non-string live until the current primitive call or dispatch ends.
 */
#ifndef MORVICK_HX_CFFI_H
#define MORVICK_HX_CFFI_H

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

typedef struct hx_value_* value;
typedef struct hx_vkind_* vkind;

/* val_type answers */
enum {
    valtNull = 0,
    valtFloat = 1,
    valtBool = 2,
    valtString = 3,
    valtObject = 4, /* anonymous record */
    valtArray = 5,
    valtFunction = 6,
    valtAbstract = 7,
    valtClassInstance = 8, /* also class objects and enum values */
    valtBytes = 9,
    valtInt = 255
};

void* hx_cffi(const char* name);

typedef value (*alloc_null_fn)(void);
typedef value (*alloc_bool_fn)(int);
typedef value (*alloc_int_fn)(int);
typedef value (*alloc_float_fn)(double);
typedef value (*alloc_string_fn)(const char*);
typedef value (*alloc_string_len_fn)(const char*, int);
typedef value (*alloc_bytes_fn)(const unsigned char*, int);
typedef value (*alloc_array_fn)(int);
typedef value (*alloc_empty_object_fn)(void);
typedef value (*alloc_abstract_fn)(vkind, void*);

typedef int (*val_type_fn)(value);
typedef int (*val_int_fn)(value);
typedef int (*val_bool_fn)(value);
typedef double (*val_float_fn)(value);
typedef const char* (*val_string_fn)(value);
typedef int (*val_strlen_fn)(value);
typedef const char16_t* (*val_wstring_fn)(value);
typedef const unsigned char* (*val_bytes_data_fn)(value);
typedef int (*val_bytes_len_fn)(value);

typedef int (*val_array_size_fn)(value);
typedef value (*val_array_i_fn)(value, int);
typedef void (*val_array_set_i_fn)(value, int, value);
typedef void (*val_array_push_fn)(value, value);

typedef int (*val_id_fn)(const char*);
typedef const char* (*val_field_name_fn)(int);
typedef value (*val_field_fn)(value, int);
typedef void (*alloc_field_fn)(value, int, value);
typedef void (*val_iter_field_callback)(value field, int id, void* cookie);
typedef void (*val_iter_fields_fn)(value, val_iter_field_callback, void*);

typedef value (*val_call0_fn)(value);
typedef value (*val_call1_fn)(value, value);
typedef value (*val_call2_fn)(value, value, value);
typedef value (*val_call3_fn)(value, value, value, value);
typedef value (*val_callN_fn)(value, value*, int);
typedef value (*val_ocall0_fn)(value, int);
typedef value (*val_ocall1_fn)(value, int, value);
typedef value (*val_ocall2_fn)(value, int, value, value);
typedef value (*val_ocall3_fn)(value, int, value, value, value);
typedef value (*val_ocallN_fn)(value, int, value*, int);

typedef vkind (*val_to_kind_fn)(value, vkind);
typedef void* (*val_data_fn)(value);

typedef value* (*alloc_root_fn)(value);
typedef void (*free_root_fn)(value*);

/* Prints "file:line: msg", flushes and ends the process at once; never returns. */
typedef void (*hx_fail_fn)(const char* msg, const char* file, int line);

#ifdef __cplusplus
}
#endif

#endif
