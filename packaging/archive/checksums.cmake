# Writes DIRECTORY/SHA256SUMS over every download in DIRECTORY, in the form
# `sha256sum -c` reads. Run with -DDIRECTORY=...
file(GLOB downloads RELATIVE "${DIRECTORY}" "${DIRECTORY}/*.tar.gz" "${DIRECTORY}/*.zip")
list(SORT downloads)
set(sums "")
foreach(download IN LISTS downloads)
  file(SHA256 "${DIRECTORY}/${download}" sum)
  string(APPEND sums "${sum}  ${download}\n")
endforeach()
file(WRITE "${DIRECTORY}/SHA256SUMS" "${sums}")
