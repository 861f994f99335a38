# Form resources: a form finds its layout as RCDATA named after its class, "T" and the
# file's name in capitals without underscores (main_form.zfm is TMAINFORM).

# The program's own forms in resources/forms; the program and its window tests both
# compile in exactly these.
set(ZX_PROGRAM_FORMS main_form f2_menu settings slash hex_ed hex_dialog crypt_form form1 calendar_form alarms
    mp3_form view_form clp_view tip_form help_form about cpy move_form qfind fast_list ass_form extr_dial form2
    zip_form arc_form re_form pm)

# zx_form_resources(<target> <folder> <form>... [BITMAPS <name> <file>...]): compiles the
# named forms of <folder>, and bitmaps under the names given, into <target>.
function(zx_form_resources target dir)
  cmake_parse_arguments(ARG "" "" "BITMAPS" ${ARGN})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.rc)
  set(text "")
  set(deps "")
  foreach(f ${ARG_UNPARSED_ARGUMENTS})
    string(REPLACE "_" "" name ${f})
    string(TOUPPER "T${name}" name)
    string(APPEND text "${name} RCDATA \"${dir}/${f}.zfm\"\n")
    list(APPEND deps ${dir}/${f}.zfm)
  endforeach()
  while(ARG_BITMAPS)
    list(POP_FRONT ARG_BITMAPS name file)
    string(APPEND text "${name} BITMAP \"${file}\"\n")
    list(APPEND deps ${file})
  endwhile()
  file(WRITE ${rc}.in "${text}")
  configure_file(${rc}.in ${rc} COPYONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${deps}")
  target_sources(${target} PRIVATE ${rc})
endfunction()

# The program's forms and its tool bars' pictures (drawn by resources/glyphs/glyphs.py).
function(zx_program_resources target)
  zx_form_resources(${target} ${ZX_ROOT}/resources/forms ${ZX_PROGRAM_FORMS}
                    BITMAPS MAINGLYPHS ${ZX_ROOT}/resources/glyphs/main_glyphs.bmp
                            HTMLGLYPHS ${ZX_ROOT}/resources/glyphs/html_glyphs.bmp)
endfunction()
