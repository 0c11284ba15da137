#pragma once
// The lobby's value interface as the plug-in reaches it: every function starts at a resolver
// stub that looks the function up through hx_cffi on its first call and then calls the host
// directly. hx_cffi itself is found once, in the program's own module first.

#include "runtime/cffi/hx_cffi.h"

namespace plug::host {

extern alloc_abstract_fn alloc_abstract;
extern alloc_int_fn alloc_int;
extern alloc_bool_fn alloc_bool;
extern alloc_string_len_fn alloc_string_len;
extern val_to_kind_fn val_to_kind;
extern val_data_fn val_data;
extern val_type_fn val_type;
extern val_string_fn val_string;
extern val_wstring_fn val_wstring;
extern val_int_fn val_int;
extern val_bool_fn val_bool;
extern val_float_fn val_float;
extern val_array_size_fn val_array_size;
extern val_array_i_fn val_array_i;
extern val_id_fn val_id;
extern val_field_fn val_field;
extern val_ocall1_fn val_ocall1;
extern hx_fail_fn hx_fail;

}  // namespace plug::host
