# What each fuzz target links and the seeds it starts from: shared by the libFuzzer build
# (fuzz/CMakeLists.txt) and the replay of every target in the test tree (fuzz/Replay.cmake).

# The design reader, the text import, the workbook, album and helper-answer readers go through the
# application library, the ID3 reader through the kernel; the others need only the platform.
function(pw_fuzz_link_libraries target name)
  if(name STREQUAL "design_reader_fuzzer" OR name STREQUAL "delimited_text_fuzzer" OR name STREQUAL "xlsx_reader_fuzzer"
     OR name STREQUAL "xls_reader_fuzzer" OR name STREQUAL "album_reader_fuzzer" OR name STREQUAL "helper_answer_fuzzer")
    target_link_libraries(${target} PRIVATE pw_app)
  elseif(name STREQUAL "id3_reader_fuzzer")
    target_link_libraries(${target} PRIVATE pw_kernel)
  else()
    target_link_libraries(${target} PRIVATE pw_platform)
  endif()
endfunction()

# The seeds of each program, folders of the source tree; a program without any starts from nothing.
set(seeds_delimited_text_fuzzer tests/data/delimited-text)
set(seeds_design_reader_fuzzer tests/data/documents)
set(seeds_album_reader_fuzzer tests/data/albums)
set(seeds_id3_reader_fuzzer tests/data/id3)
set(seeds_keyed_unarchiver_fuzzer tests/data/keyed-archives)
set(seeds_plist_xml_reader_fuzzer tests/data/plist tests/data/documents)
set(seeds_picture_render_fuzzer tests/data/pictures)
set(seeds_rtf_reader_fuzzer tests/data/rtf)
set(seeds_rtfd_reader_fuzzer tests/data/rtf)
set(seeds_vcard_reader_fuzzer tests/data/contacts)
set(seeds_xlsx_reader_fuzzer tests/data/spreadsheets)
set(seeds_xls_reader_fuzzer tests/data/spreadsheets)

