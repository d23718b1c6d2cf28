# velmora_widl(<target> <idl file> <output folder> <base name>): the type library, C++ header
# and GUIDs that widl makes from an IDL file, for the architecture being built:
# <base>.tlb, <base>_h.h and <base>_i.c in the output folder, made by the custom target.
function(velmora_widl target idl folder base)
  file(MAKE_DIRECTORY ${folder})
  add_custom_command(
    OUTPUT ${folder}/${base}.tlb ${folder}/${base}_h.h ${folder}/${base}_i.c
    COMMAND ${VELMORA_WIDL} ${VELMORA_WIDL_FLAGS} -t -o ${folder}/${base}.tlb ${idl}
    COMMAND ${VELMORA_WIDL} ${VELMORA_WIDL_FLAGS} -h -o ${folder}/${base}_h.h ${idl}
    COMMAND ${VELMORA_WIDL} ${VELMORA_WIDL_FLAGS} -u -o ${folder}/${base}_i.c ${idl}
    DEPENDS ${idl}
    COMMENT "Type library, header and GUIDs from ${base}.idl")
  add_custom_target(${target} DEPENDS ${folder}/${base}.tlb ${folder}/${base}_h.h ${folder}/${base}_i.c)
endfunction()
