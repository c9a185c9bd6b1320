# Sources of src/tools, added to pinacora_ui.
