# Writes OUTPUT: a C++ file defining formres::<Name> for each name in FORMS (comma-separated) as the
# text of FORM_DIR/<Name>.dfm in a raw string literal. The compiler turns the UTF-8 text into the
# program's ANSI code page like every other literal, so a resource reads as the same form in code would.
string(REPLACE "," ";" names "${FORMS}")
set(body "// Made by app/EmbedForms.cmake from the console's form resources: edit the .dfm files instead.\n\n")
string(APPEND body "#include \"app/FormResources.h\"\n\nnamespace formres {\n")
foreach(name ${names})
  file(READ "${FORM_DIR}/${name}.dfm" text)
  if(text MATCHES "\\)dfm\"")
    message(FATAL_ERROR "${FORM_DIR}/${name}.dfm holds the raw string's delimiter")
  endif()
  string(APPEND body "\nconst char* const ${name} = R\"dfm(${text})dfm\";\n")
endforeach()
string(APPEND body "\n}  // namespace formres\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
