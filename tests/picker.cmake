# Tests of the colorPicker library (filled in with the library).
