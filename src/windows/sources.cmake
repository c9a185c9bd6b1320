# Sources of src/windows, added to pinacora_ui.
