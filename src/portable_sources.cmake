# Source files free of Win32 headers (paths relative to src/). They are part
# of the program and are also built natively for the Linux tests.
set(QOR_PORTABLE_SOURCES
  logging/record_format.cpp
  logging/file_naming.cpp
)
list(APPEND QOR_PORTABLE_SOURCES
  instrument/frame_cutter.cpp
  instrument/em61mk2_reader_loop.cpp
  instrument/em61mk2_decode.cpp
  instrument/acq.cpp
)
list(APPEND QOR_PORTABLE_SOURCES
  instrument/reading_rules.cpp
  logging/command_keys.cpp
  settings/entry_rules.cpp
  gps/utm.cpp
  gps/nmea_sentence.cpp
  gps/sensor_offset.cpp
  gps/fix_readouts.cpp
  gps/label_exchange.cpp
  map/map_geometry.cpp
  map/position_file.cpp
)
# The data file read back whole: the stored readings and the backward block
# reader (also the profile replay's) and the export's formats. qor-export is
# built from this list.
list(APPEND QOR_PORTABLE_SOURCES
  display/stored_records.cpp
  export/survey_file.cpp
  export/export_formats.cpp
  export/svg_map.cpp
)
# The readers' feeding of bursts, byte by byte.
list(APPEND QOR_PORTABLE_SOURCES
  gps/sentence_feed.cpp
)
# The configuration file's text, read and written.
list(APPEND QOR_PORTABLE_SOURCES
  settings/config_text.cpp
  settings/settings.cpp
)
