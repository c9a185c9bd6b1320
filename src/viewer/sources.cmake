# Sources of src/viewer, added to pinacora_ui.
